#pragma once

#include <functional>
#include <span>

#include "panel/panel.h"

class QObject;
class QPushButton;
class QWidget;

namespace app {

class WidgetKind;

// The main window's controls as data: what each one is, where it lies, what it shows first and
// where it sits in the arrangement.
enum class Kind : uint8_t {
  Frame,
  Label,
  ClickLabel,
  Button,
  Check,
  Option,
  Field,
  Log,   // the system log: wraps long lines at the view's width
  Page,  // the hex view: one whole page, the font sized to fit it
  List,
  Scroll,
  Slider,
  Progress,
};

// The grids of the arrangement. The window has two columns, each a grid of its own: the device,
// the buttons, the hex view and what lies below it on the left; the board, the indicators, the
// log and the options on the right. The indicators' box and every frame have a grid too.
enum class Area : uint8_t { Left, Right, Indicators, InFrame };

struct Place {
  Area area;
  panel::Ctl frame;  // the frame whose grid holds the control, for Area::InFrame
  int row;
  int column;
  int columns = 1;
};

struct FormControl {
  panel::Ref ref;
  Kind kind;
  // The frame the control lies in (a child of it); frmMain: the window itself. A control of the
  // window may still be shown inside a frame's grid, over the frame.
  panel::Ctl parent;
  const char* caption;
  const char* tooltip;
  int value;  // option 1: selected; slider position; else unused
  int max;    // slider, scroll bar and progress bar maximum
  Place place;
};

std::span<const FormControl> FormControls();

// The hex view shows the 16 lines of a page below the empty first line (the data view: a header,
// an empty line and 8 lines), each 62 characters wide.
inline constexpr int kPageLines = 17;
inline constexpr int kPageColumns = 62;

// Builds every control of the table on client and arranges them; add is told of each one.
// Returns the Stop button, placed beside the progress bar and hidden.
using AddControl = std::function<void(panel::Ref, QObject&, const WidgetKind&)>;
QPushButton* BuildForm(QWidget& client, const AddControl& add);

}  // namespace app
