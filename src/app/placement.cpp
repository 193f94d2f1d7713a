#include "app/placement.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace app {
namespace {

constexpr std::string_view kLeft = "MainLeft", kTop = "MainTop", kWidth = "MainWidth",
                           kHeight = "MainHeight";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

float ReadKey(const platform::SettingsStore& store, std::string_view key, float fallback) {
  const auto text = store.Get(kPlacementSection, key);
  if (!text) return fallback;
  return ParseSingle(*text).value_or(fallback);
}

// Twips to a pixel count that fits in an int whatever was stored.
int PixelsOf(float twips, double twips_per_pixel) {
  const double pixels = std::round(static_cast<double>(twips) / twips_per_pixel);
  constexpr double kLimit = 1 << 24;
  return static_cast<int>(std::clamp(pixels, -kLimit, kLimit));
}

int64_t OverlapArea(const PixelRect& a, const PixelRect& b) {
  const int64_t left = std::max<int64_t>(a.x, b.x);
  const int64_t top = std::max<int64_t>(a.y, b.y);
  const int64_t right = std::min<int64_t>(int64_t{a.x} + a.width, int64_t{b.x} + b.width);
  const int64_t bottom = std::min<int64_t>(int64_t{a.y} + a.height, int64_t{b.y} + b.height);
  if (right <= left || bottom <= top) return 0;
  return (right - left) * (bottom - top);
}

}  // namespace

std::optional<float> ParseSingle(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  float value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
  if (!std::isfinite(value)) return {};
  return value;
}

std::string SingleText(float value) {
  std::array<char, 32> digits{};
  const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc()) return "0";
  return std::string(digits.data(), end);
}

Placement ReadPlacement(const platform::SettingsStore& store) {
  return {ReadKey(store, kLeft, kDefaultPlacement.left),
          ReadKey(store, kTop, kDefaultPlacement.top),
          ReadKey(store, kWidth, kDefaultPlacement.width),
          ReadKey(store, kHeight, kDefaultPlacement.height)};
}

void WritePlacement(platform::SettingsStore& store, const Placement& placement) {
  store.Put(kPlacementSection, kLeft, SingleText(placement.left));
  store.Put(kPlacementSection, kTop, SingleText(placement.top));
  store.Put(kPlacementSection, kWidth, SingleText(placement.width));
  store.Put(kPlacementSection, kHeight, SingleText(placement.height));
}

PixelRect ToPixels(const Placement& placement, double twips_per_pixel) {
  return {PixelsOf(placement.left, twips_per_pixel), PixelsOf(placement.top, twips_per_pixel),
          PixelsOf(placement.width, twips_per_pixel), PixelsOf(placement.height, twips_per_pixel)};
}

Placement ToTwips(const PixelRect& rect, double twips_per_pixel) {
  const auto twips = [twips_per_pixel](int pixels) {
    return static_cast<float>(std::round(pixels * twips_per_pixel));
  };
  return {twips(rect.x), twips(rect.y), twips(rect.width), twips(rect.height)};
}

PixelRect FitOnScreens(PixelRect wanted, std::span<const PixelRect> screens,
                       PixelRect default_size) {
  if (!SizeStored(wanted)) {
    wanted.width = default_size.width;
    wanted.height = default_size.height;
  }
  if (screens.empty()) return wanted;
  const PixelRect* best = &screens.front();
  int64_t best_area = 0;
  for (const PixelRect& screen : screens) {
    const int64_t area = OverlapArea(wanted, screen);
    if (area > best_area) {
      best_area = area;
      best = &screen;
    }
  }
  const PixelRect& screen = *best;
  wanted.width = std::min(wanted.width, screen.width);
  wanted.height = std::min(wanted.height, screen.height);
  wanted.x = std::clamp(wanted.x, screen.x, screen.x + screen.width - wanted.width);
  wanted.y = std::clamp(wanted.y, screen.y, screen.y + screen.height - wanted.height);
  return wanted;
}

PixelRect FirstStartSize(const PixelRect& screen, int least_width, int least_height) {
  // Each side sqrt(3/4) of the screen's: three quarters of its area.
  constexpr double kSide = 0.8660254;
  const auto side = [](int length, int least) {
    return std::min(std::max(static_cast<int>(std::lround(length * kSide)), least), length);
  };
  return {0, 0, side(screen.width, least_width), side(screen.height, least_height)};
}

}  // namespace app
