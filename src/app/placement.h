#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace app {

// Where the main window sits, in twips (1/1440 inch), as the settings store keeps it.
struct Placement {
  float left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Placement&) const = default;
};

inline constexpr std::string_view kPlacementSection = "Settings";
// Values taken when a key is absent or unreadable. Width and height are the outer size, frame
// included; 0 stands for no size stored, which the window replaces by its first-start size.
inline constexpr Placement kDefaultPlacement{100, 100, 0, 0};

// A single-precision number from its decimal text (blanks around it allowed); nothing for text
// that is not a finite number.
std::optional<float> ParseSingle(std::string_view text);
// The shortest decimal text that reads back as the same single-precision number ("1200").
std::string SingleText(float value);

Placement ReadPlacement(const platform::SettingsStore& store);
void WritePlacement(platform::SettingsStore& store, const Placement& placement);

// A rectangle in pixels.
struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PixelRect&) const = default;
};

PixelRect ToPixels(const Placement& placement, double twips_per_pixel);
Placement ToTwips(const PixelRect& rect, double twips_per_pixel);

// The window smaller than this is taken as no stored size at all.
inline constexpr int kMinimumWidth = 160;
inline constexpr int kMinimumHeight = 120;
inline bool SizeStored(const PixelRect& r) {
  return r.width >= kMinimumWidth && r.height >= kMinimumHeight;
}

// Moves and, where it must, shrinks the window so that the whole of it lies on one screen: the
// screen it overlaps most, or the first screen when it overlaps none. A size below the minimum
// is replaced by default_size first. screens: the usable areas; none leaves the window as asked.
PixelRect FitOnScreens(PixelRect wanted, std::span<const PixelRect> screens,
                       PixelRect default_size);

// The outer size of the window at its first start on a screen whose usable area is `screen`:
// about three quarters of that area, in the screen's proportions, never below the least size
// that shows every control whole, never beyond the screen.
PixelRect FirstStartSize(const PixelRect& screen, int least_width, int least_height);

}  // namespace app
