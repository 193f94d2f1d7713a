#include "cli/device_names.h"

#include <cctype>
#include <utility>

namespace cli {
namespace {

// The words of a name, in lower case.
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

std::string_view WithoutListPrefix(std::string_view text) {
  constexpr std::string_view kNotAvailable = "N/A - ";
  if (text.starts_with(kNotAvailable)) text.remove_prefix(kNotAvailable.size());
  return text;
}

bool RunAt(const std::vector<std::string>& name, const std::vector<std::string>& run, size_t at) {
  for (size_t i = 0; i < run.size(); ++i) {
    if (name[at + i] != run[i]) return false;
  }
  return true;
}

bool Whole(const std::vector<std::string>& name, const std::vector<std::string>& run) {
  return name == run;
}

bool Ending(const std::vector<std::string>& name, const std::vector<std::string>& run) {
  return run.size() <= name.size() && RunAt(name, run, name.size() - run.size());
}

bool Anywhere(const std::vector<std::string>& name, const std::vector<std::string>& run) {
  for (size_t at = 0; at + run.size() <= name.size(); ++at) {
    if (RunAt(name, run, at)) return true;
  }
  return false;
}

// The family word and the part number without the maker between them: "flash am29f040" for
// "Flash AMD AM29F040". The words in their order, the first one the name's first.
bool FamilyAndPart(const std::vector<std::string>& name, const std::vector<std::string>& run) {
  if (run.size() < 2 || name.empty() || name.front() != run.front()) return false;
  size_t at = 1;
  for (size_t i = 1; i < run.size(); ++i) {
    while (at < name.size() && name[at] != run[i]) ++at;
    if (at == name.size()) return false;
    ++at;
  }
  return true;
}

// A name that matches nothing whole still suggests the rows that contain it as text.
bool Containing(const std::vector<std::string>& name, const std::vector<std::string>& run) {
  std::string joined, wanted;
  for (const auto& w : name) joined += w + " ";
  for (const auto& w : run) wanted += w + " ";
  wanted.pop_back();
  return joined.find(wanted) != std::string::npos;
}

}  // namespace

DeviceMatch MatchDevice(std::string_view wanted, std::span<const std::string_view> names) {
  const std::vector<std::string> run = Words(WithoutListPrefix(wanted));
  DeviceMatch match;
  if (run.empty()) return match;
  using Words_t = std::vector<std::string>;
  struct Rule {
    bool (*matches)(const Words_t& name, const Words_t& run);
    bool selects;  // one row found by it is the row meant
  };
  constexpr Rule kRules[] = {
      {Whole, true}, {Ending, true}, {Anywhere, true}, {FamilyAndPart, true}, {Containing, false}};
  for (const Rule& rule : kRules) {
    std::vector<size_t> rows;
    for (size_t i = 0; i < names.size(); ++i) {
      if (rule.matches(Words(names[i]), run)) rows.push_back(i);
    }
    if (rows.empty()) continue;
    if (rows.size() == 1 && rule.selects) {
      match.index = static_cast<int>(rows.front());
      return match;
    }
    for (size_t row : rows) match.candidates.emplace_back(names[row]);
    return match;
  }
  return match;
}

}  // namespace cli
