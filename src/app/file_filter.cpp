#include "app/file_filter.h"

#include <vector>

namespace app {
namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const auto at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// "All Files (*.*)" without its parenthesised pattern list: "All Files".
std::string_view Label(std::string_view description) {
  const auto open = description.rfind('(');
  if (open != std::string_view::npos && description.ends_with(')')) {
    description = description.substr(0, open);
  }
  while (description.ends_with(' ')) description.remove_suffix(1);
  return description;
}

std::string Patterns(std::string_view patterns) {
  std::string out;
  for (std::string_view pattern : Split(patterns, ';')) {
    while (pattern.starts_with(' ')) pattern.remove_prefix(1);
    if (pattern.empty()) continue;
    if (!out.empty()) out += ' ';
    out += pattern == "*.*" ? std::string_view("*") : pattern;
  }
  return out.empty() ? std::string("*") : out;
}

}  // namespace

std::string QtNameFilter(std::string_view filter) {
  const std::vector<std::string_view> parts = Split(filter, '|');
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (!out.empty()) out += ";;";
    out.append(Label(parts[i])).append(" (").append(Patterns(parts[i + 1])).append(")");
  }
  return out.empty() ? std::string("All Files (*)") : out;
}

}  // namespace app
