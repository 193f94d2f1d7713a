#pragma once

#include <string>
#include <string_view>

#include "panel/panel.h"

namespace app {

// The name a control carries in the window ("Program_button").
std::string_view ControlName(panel::Ctl ctl);
// The objectName of a control, of one element of a control array ("Voltage_button(2)") or of a
// toolbar button (its key: "OpenCode"; the separator, which has none, "tbToolBar(3)").
std::string ObjectName(panel::Ref ref);
// The key of toolbar button 1..5 from the left.
std::string_view ToolbarKey(int button);

}  // namespace app
