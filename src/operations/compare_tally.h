#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ops {

// What a whole-image compare found: how many bytes differ, the first few of them, and for each
// data line how it differs. A technician reads from it whether the chip can be programmed over,
// must be erased first, or has a dead data line or socket contact.
class CompareTally {
 public:
  struct Difference {
    uint32_t address;
    uint8_t buffer;
    uint8_t device;
  };
  struct Range {  // consecutive differing addresses, first and last
    uint32_t first;
    uint32_t last;
  };
  static constexpr size_t kListed = 16;

  void Add(uint32_t address, uint8_t buffer, uint8_t device);

  int64_t Differing() const { return differing_; }
  const std::vector<Difference>& First() const { return first_; }
  // How many runs of consecutive addresses differ, and the first few of them.
  int64_t RangeCount() const { return ranges_; }
  const std::vector<Range>& FirstRanges() const { return first_ranges_; }
  // The first ranges as text ("100h..1FFh, 400h"), with how many more there are.
  std::string RangesText() const;
  // Bytes whose data line `bit` reads 0 where the image has 1, and 1 where it has 0.
  int64_t ReadZero(int bit) const { return read_zero_[static_cast<size_t>(bit)]; }
  int64_t ReadOne(int bit) const { return read_one_[static_cast<size_t>(bit)]; }

  // The report's lines after the count: the first differences, the data lines, the verdict.
  std::vector<std::string> ReportLines() const;
  // The one line that says the most: a single data line always reading one level, else
  // whether programming over the chip can reach the image.
  std::string Verdict() const;

 private:
  void NoteRange(uint32_t address);

  int64_t differing_ = 0;
  int64_t need_erase_ = 0;  // bytes where the image has a 1 that the device holds as 0
  uint8_t lines_differing_ = 0;
  std::vector<Difference> first_;
  int64_t ranges_ = 0;
  std::vector<Range> first_ranges_;
  uint32_t last_differing_ = 0;
  std::array<int64_t, 8> read_zero_{};
  std::array<int64_t, 8> read_one_{};
};

}  // namespace ops
