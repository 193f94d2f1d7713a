#include "operations/compare_tally.h"

#include "platform/hex_text.h"

namespace ops {

void CompareTally::Add(uint32_t address, uint8_t buffer, uint8_t device) {
  if (buffer == device) return;
  NoteRange(address);
  ++differing_;
  if (first_.size() < kListed) first_.push_back({address, buffer, device});
  const auto zero_where_one = static_cast<uint8_t>(buffer & ~device);
  const auto one_where_zero = static_cast<uint8_t>(~buffer & device);
  if (zero_where_one != 0) ++need_erase_;
  lines_differing_ = static_cast<uint8_t>(lines_differing_ | zero_where_one | one_where_zero);
  for (size_t bit = 0; bit < 8; ++bit) {
    read_zero_[bit] += (zero_where_one >> bit) & 1;
    read_one_[bit] += (one_where_zero >> bit) & 1;
  }
}

void CompareTally::NoteRange(uint32_t address) {
  const bool continues = differing_ > 0 && address == last_differing_ + 1;
  last_differing_ = address;
  if (!continues) {
    ++ranges_;
    if (first_ranges_.size() < kListed) first_ranges_.push_back({address, address});
  } else if (ranges_ <= static_cast<int64_t>(kListed)) {
    first_ranges_.back().last = address;
  }
}

std::string CompareTally::RangesText() const {
  std::string text;
  for (const Range& r : first_ranges_) {
    if (!text.empty()) text += ", ";
    text += platform::Hex(r.first) + "h";
    if (r.last != r.first) text += ".." + platform::Hex(r.last) + "h";
  }
  const int64_t more = ranges_ - static_cast<int64_t>(first_ranges_.size());
  if (more > 0) text += " and " + std::to_string(more) + " more";
  return text;
}

std::string CompareTally::Verdict() const {
  for (int bit = 0; bit < 8; ++bit) {
    if (lines_differing_ != (1U << bit)) continue;
    const bool zero = ReadOne(bit) == 0;
    const bool one = ReadZero(bit) == 0;
    if (!zero && !one) break;
    return "every difference is data bit D" + std::to_string(bit) + " reading " +
           (zero ? "0" : "1") + ": a stuck data line or socket contact";
  }
  if (need_erase_ == 0) {
    return "all differences are 1 to 0 bits: the chip can be programmed over without erasing";
  }
  return std::to_string(need_erase_) + " bytes need a 0 to 1 bit: erase the chip first";
}

std::vector<std::string> CompareTally::ReportLines() const {
  std::vector<std::string> lines;
  for (const Difference& d : first_) {
    lines.push_back("Address: " + platform::Hex(d.address) + " ][ Buffer Data: " +
                    platform::Hex(d.buffer) + " ][ Device Data: " + platform::Hex(d.device));
  }
  if (differing_ > static_cast<int64_t>(first_.size())) {
    lines.push_back("... and " + std::to_string(differing_ - static_cast<int64_t>(first_.size())) +
                    " more");
  }
  lines.push_back("Differing bytes in " + std::to_string(ranges_) +
                  (ranges_ == 1 ? " range: " : " ranges: ") + RangesText());
  for (int bit = 0; bit < 8; ++bit) {
    if (ReadZero(bit) == 0 && ReadOne(bit) == 0) continue;
    lines.push_back("D" + std::to_string(bit) + ": " + std::to_string(ReadZero(bit)) +
                    " bytes read 0 where the image has 1, " + std::to_string(ReadOne(bit)) +
                    " read 1 where it has 0");
  }
  lines.push_back(Verdict());
  return lines;
}

}  // namespace ops
