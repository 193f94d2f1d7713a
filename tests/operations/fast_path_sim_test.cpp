// The fast path on the simulated board, whose chips keep their datasheet timing: each algorithm's
// chip sees the same pulses as on the exact path, and every row the socket takes programs,
// verifies and reads, at the slider's extremes and its default.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/socket_kinds.h"
#include "support/image.h"
#include "support/simulated_programmer.h"

namespace {

constexpr int kSliders[] = {1, 18, 20};

// The device chosen (a blank chip of it in the socket), the image loaded, the path and slider set.
std::unique_ptr<testing_support::SimulatedProgrammer> Rig(std::string_view device, bool fast,
                                                          int slider, size_t image_size) {
  auto r = std::make_unique<testing_support::SimulatedProgrammer>("meldrix_fast_path");
  testing_support::SelectInTheList(r->p, device);
  testing_support::ChooseTheChipsVoltage(r->p);
  r->p.SetSliderValue(slider);
  r->p.board.SetFastPath(fast);
  for (size_t i = 0; i < image_size; ++i) {  // every value, with an erased byte now and then
    r->p.buf.CodeBuffer[i] = static_cast<uint8_t>(i % 7 == 3 ? 0xFF : i * 37);
  }
  testing_support::TakeAsImage(r->p, static_cast<int32_t>(image_size));
  return r;
}

// A programming operation on the pins: the program line (the write strobe, or chip enable with
// the voltage on and the outputs off where the part has none) held asserted.
struct PinPulse {
  uint32_t address;
  uint8_t data;
  sim::Millivolts vpp;
  sim::Nanos width;
  bool operator==(const PinPulse&) const = default;
};

std::vector<PinPulse> PulsesOf(const std::vector<sim::Chip::PinChange>& record) {
  const bool strobe = std::ranges::any_of(record, [](const auto& c) { return c.lines.strobe; });
  const auto on = [&](const sim::Lines& l) { return l.ce && (strobe ? l.strobe : l.vpp && !l.oe); };
  std::vector<PinPulse> pulses;
  for (size_t i = 1; i + 1 < record.size(); ++i) {
    if (!on(record[i].lines) || on(record[i - 1].lines)) continue;
    size_t end = i + 1;
    while (end < record.size() && on(record[end].lines)) ++end;
    const sim::Lines& l = record[i].lines;
    if (end < record.size())
      pulses.push_back({l.address, l.bus, l.vpp_level, record[end].at - record[i].at});
  }
  return pulses;
}

class EachAlgorithm : public ::testing::TestWithParam<const char*> {};

// The same pulses in address, data, voltage and width on both paths; an EPROM, which is never
// polled, sees every line change in the same order. (A Flash or EEPROM chip is polled until its
// write cycle ends: the fast path may poll it more often meanwhile, never write differently.)
TEST_P(EachAlgorithm, ChipSeesTheSamePulsesOnBothPaths) {
  for (const int slider : kSliders) {
    std::vector<sim::Chip::PinChange> pins[2];
    for (const bool fast : {false, true}) {
      auto r = Rig(GetParam(), fast, slider, 24);
      r->socket.chip()->RecordPins(true);
      r->p.Program_button_Click();
      EXPECT_NE(std::ranges::find(r->ui.log, "Programming Device Successfull"), r->ui.log.end());
      pins[fast] = r->socket.chip()->PinRecord();
    }
    EXPECT_FALSE(PulsesOf(pins[0]).empty());
    EXPECT_EQ(PulsesOf(pins[1]), PulsesOf(pins[0])) << slider;
    if (std::string_view(GetParam()).starts_with("Eprom")) {
      EXPECT_TRUE(std::ranges::equal(pins[1], pins[0], {}, &sim::Chip::PinChange::lines,
                                     &sim::Chip::PinChange::lines))
          << slider;
    }
    EXPECT_LT(pins[1].back().at - pins[1].front().at, pins[0].back().at - pins[0].front().at);
  }
}

INSTANTIATE_TEST_SUITE_P(Algorithms, EachAlgorithm,
                         ::testing::Values("Eprom 2732A", "Eprom 2764", "Eprom 27C256",
                                           "Eprom 27C512", "Eprom 27C010", "Eprom 27C040",
                                           "Flash AMD AM29F040", "Flash Atmel AT29C010A",
                                           "Flash Atmel AT29C256", "Eeprom XICOR X28C256",
                                           "Eeprom Atmel AT28C256"));

// Every row the socket takes and the program can program: program with verify, then read back,
// on the fast path, past the first 256-byte page.
TEST(FastPath, EveryRowProgramsVerifiesAndReads) {
  for (const devices::DeviceEntry& row : devices::DeviceTable) {
    if (row.Program == devices::ProgramAlgorithm::None || !sim::FindSocketKind(row.Name)) continue;
    for (const int slider : kSliders) {
      SCOPED_TRACE(std::string(row.Name) + " at " + std::to_string(slider));
      auto r = Rig(row.Name, true, slider, 600);
      r->ui.SetValue(panel::Ctl::VerifyAfterProgramming, 1);
      r->p.Program_button_Click();
      EXPECT_EQ(r->ui.log.back(), "Device Contents MATCHES with Buffer Contents");
      const std::vector<uint8_t> image(r->p.buf.CodeBuffer.begin(),
                                       r->p.buf.CodeBuffer.begin() + 600);
      std::fill_n(r->p.buf.CodeBuffer.begin(), 600, uint8_t{0});
      r->p.Read_button_Click();
      EXPECT_TRUE(std::equal(image.begin(), image.end(), r->p.buf.CodeBuffer.begin()));
    }
  }
}

}  // namespace
