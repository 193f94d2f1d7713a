#pragma once

#include <string>
#include <string_view>

namespace app {

// A file-dialog filter written as "description|pattern|description|pattern" in the filter
// syntax of the Qt file dialog ("All Files (*)"): pairs become entries separated by ";;", the
// patterns of one entry are separated by blanks, and "*.*" (every file) becomes "*".
std::string QtNameFilter(std::string_view filter);

}  // namespace app
