#include "romlists/identify.h"

#include <algorithm>

#include "buffers/checksums.h"
#include "platform/hex_text.h"

namespace romlists {
namespace {

// Entries named for one part; a ROM that many sets share is counted after these.
constexpr size_t kNamed = 5;

ImagePart LookUp(const RomIndex& index, std::span<const uint8_t> image, int parts, int at,
                 std::optional<std::string>& error) {
  const size_t length = image.size() / static_cast<size_t>(parts);
  const auto bytes = image.subspan(length * static_cast<size_t>(at), length);
  ImagePart part;
  part.first = static_cast<uint32_t>(length * static_cast<size_t>(at));
  part.length = static_cast<uint32_t>(length);
  part.parts = parts;
  part.index = at;
  if (std::ranges::all_of(bytes, [&bytes](uint8_t byte) { return byte == bytes.front(); })) {
    part.fill = bytes.front();
    return part;
  }
  const buffers::ImageChecksums sums = buffers::ChecksumsOf(bytes);
  part.crc32 = sums.crc32;
  part.sha1 = sums.sha1;
  RomIndex::Found found = index.Lookup(length, sums.crc32, sums.sha1);
  if (found.error && !error) error = found.error;
  part.matches = std::move(found.entries);
  return part;
}

std::string Range(const ImagePart& part) {
  return platform::Hex(part.first) + "h.." + platform::Hex(part.first + part.length - 1) + "h";
}

bool Inside(const ImagePart& part, const ImagePart& whole) {
  return whole.parts < part.parts && whole.first <= part.first &&
         part.first + part.length <= whole.first + whole.length;
}

bool SameBytes(const ImagePart& a, const ImagePart& b) {
  return a.length == b.length && a.crc32 == b.crc32 && a.sha1 == b.sha1;
}

std::string IdentifiedLine(const RomEntry& entry) {
  std::string details;
  for (const std::string* field : {&entry.list, &entry.year, &entry.maker}) {
    if (field->empty()) continue;
    details += (details.empty() ? "" : ", ") + *field;
  }
  return "Identified: " + entry.rom + " of " +
         (entry.description.empty() ? entry.set : entry.description) + " (" + details + ")";
}

// "the lower half of the image", "both halves of the image, the same bytes", "the first and
// third quarters of the image, the same bytes".
std::string PartsName(const std::vector<const ImagePart*>& group) {
  const bool halves = group.front()->parts == 2;
  const std::string_view kind = halves ? "half" : "quarter";
  static constexpr std::array<std::string_view, 4> kQuarters = {"first", "second", "third",
                                                                "fourth"};
  static constexpr std::array<std::string_view, 2> kHalves = {"lower", "upper"};
  if (group.size() == 1) {
    const auto at = static_cast<size_t>(group.front()->index);
    return "the " + std::string(halves ? kHalves[at] : kQuarters[at]) + " " + std::string(kind) +
           " of the image";
  }
  if (halves) return "both halves of the image, the same bytes";
  if (group.size() == 4) return "all four quarters of the image, the same bytes";
  std::string names = "the ";
  for (size_t i = 0; i < group.size(); ++i) {
    if (i > 0) names += i + 1 == group.size() ? " and " : ", ";
    names += kQuarters[static_cast<size_t>(group[i]->index)];
  }
  return names + " quarters of the image, the same bytes";
}

std::string GroupLine(const std::vector<const ImagePart*>& group) {
  std::string ranges;
  for (size_t i = 0; i < group.size(); ++i) {
    if (i > 0) ranges += i + 1 == group.size() ? " and " : ", ";
    ranges += Range(*group[i]);
  }
  return "Bytes " + ranges + " (" + PartsName(group) + "):";
}

// The parts whose matches say most: those not inside a larger part that matched, the parts of
// the same bytes together, in the order of their addresses.
std::vector<std::vector<const ImagePart*>> PartsToReport(const std::vector<ImagePart>& parts) {
  std::vector<std::vector<const ImagePart*>> groups;
  for (const ImagePart& part : parts) {
    if (part.matches.empty()) continue;
    if (std::ranges::any_of(parts, [&part](const ImagePart& larger) {
          return !larger.matches.empty() && Inside(part, larger);
        })) {
      continue;
    }
    const auto same = std::ranges::find_if(groups, [&part](const auto& group) {
      return group.front()->parts == part.parts && SameBytes(*group.front(), part);
    });
    if (same != groups.end()) {
      same->push_back(&part);
    } else {
      groups.push_back({&part});
    }
  }
  std::ranges::stable_sort(groups, {}, [](const auto& group) { return group.front()->first; });
  return groups;
}

}  // namespace

bool Identification::Identified() const {
  return std::ranges::any_of(parts, [](const ImagePart& part) { return !part.matches.empty(); });
}

Identification Identify(const RomIndex& index, std::span<const uint8_t> image) {
  Identification found;
  found.searched = index.EntryCount();
  if (image.empty()) return found;
  for (int parts : {1, 2, 4}) {
    if (image.size() % static_cast<size_t>(parts) != 0) break;
    for (int at = 0; at < parts; ++at) {
      found.parts.push_back(LookUp(index, image, parts, at, found.error));
    }
  }
  return found;
}

std::string LookupLine(uint32_t length, std::string_view where) {
  std::string line = "Looking up bytes 0h.." + platform::Hex(length - 1) + "h of " +
                     std::string(where) + " in the ROM lists";
  if (length % 4 == 0) return line + ", whole, by halves and by quarters";
  if (length % 2 == 0) return line + ", whole and by halves";
  return line;
}

std::vector<std::string> ReportLines(const Identification& found) {
  if (found.error) return {"The ROM list index could not be read: " + *found.error};
  if (!found.parts.empty() && found.parts.front().fill) {
    const uint8_t fill = *found.parts.front().fill;
    return {"Every byte is " + platform::Hex(fill, 2) + "h" +
            (fill == 0xFF ? " (an erased chip, or none answering)" : "") +
            ": there is no ROM to name"};
  }
  const auto groups = PartsToReport(found.parts);
  if (groups.empty()) {
    return {"Not in the ROM lists (" + std::to_string(found.searched) + " entries searched)"};
  }
  std::vector<std::string> lines;
  for (const auto& group : groups) {
    if (group.front()->parts > 1) lines.push_back(GroupLine(group));
    const std::vector<RomEntry>& matches = group.front()->matches;
    for (size_t i = 0; i < std::min(matches.size(), kNamed); ++i) {
      lines.push_back(IdentifiedLine(matches[i]));
    }
    if (matches.size() > kNamed) {
      lines.push_back("and " + std::to_string(matches.size() - kNamed) +
                      " more entries of the ROM lists hold the same bytes");
    }
  }
  return lines;
}

std::string NoListsLine(const Sources& sources) {
  std::string line =
      "There are no ROM lists to look in: install the Debian package mame-data (its software "
      "lists go to " +
      sources.software_lists + ")";
  if (!sources.dat_folder.empty()) {
    line += ", or put Logiqx XML DAT files in " + sources.dat_folder;
  }
  return line;
}

}  // namespace romlists
