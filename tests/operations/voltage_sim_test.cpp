// Every EPROM row that offers more than one programming voltage, with each voltage the window
// offers for it and each part the row stands for, programmed on a model-5 simulated board: the
// outcome is what the part's datasheet voltages make it, and the chip never sees a voltage
// above the one the operator chose.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "support/device_list.h"
#include "support/image.h"
#include "support/simulated_programmer.h"

namespace {

enum class Outcome { Programs, DoesNotTake, Damaged };

struct VoltageCase {
  const char* device;
  bool other_part;  // the row's part of the other voltage in the socket
  int option;       // Voltage_button: 1 12.5 V, 2 21 V, 3 25 V
  Outcome outcome;
  int applied_mv;  // what reaches the VPP pin
};

void PrintTo(const VoltageCase& c, std::ostream* os) {
  *os << c.device << (c.other_part ? " (other part)" : "") << " option " << c.option;
}

using enum Outcome;
const VoltageCase kCases[] = {
    // 2732A: 21 V, at most 22 V.
    {"Eprom 2732A", false, 1, DoesNotTake, 12500},
    {"Eprom 2732A", false, 2, Programs, 21000},
    {"Eprom 2732A", false, 3, Damaged, 25000},
    // 2732 and 27C32: 25 V.
    {"Eprom 2732", false, 1, DoesNotTake, 12500},
    {"Eprom 2732", false, 2, DoesNotTake, 21000},
    {"Eprom 2732", false, 3, Programs, 25000},
    {"Eprom 27C32", false, 1, DoesNotTake, 12500},
    {"Eprom 27C32", false, 2, DoesNotTake, 21000},
    {"Eprom 27C32", false, 3, Programs, 25000},
    // 2764A (the row's common part): 12.5 V, at most 14 V; the 2764: 21 V, at most 22 V.
    {"Eprom 2764", false, 1, Programs, 12500},
    {"Eprom 2764", false, 2, Damaged, 21000},
    {"Eprom 2764", true, 1, DoesNotTake, 12500},
    {"Eprom 2764", true, 2, Programs, 21000},
    {"Eprom 2764", true, 3, Damaged, 25000},
    // 27128A and 27128, the same.
    {"Eprom 27128", false, 1, Programs, 12500},
    {"Eprom 27128", false, 2, Damaged, 21000},
    {"Eprom 27128", false, 3, Damaged, 25000},
    {"Eprom 27128", true, 1, DoesNotTake, 12500},
    {"Eprom 27128", true, 2, Programs, 21000},
    {"Eprom 27128", true, 3, Damaged, 25000},
    // The 27256's algorithm selects no voltage: 12.5 V whatever is chosen.
    {"Eprom 27256", false, 1, Programs, 12500},
    {"Eprom 27256", false, 2, Programs, 12500},
    {"Eprom 27256", false, 3, Programs, 12500},
};

class EpromVoltage : public ::testing::TestWithParam<VoltageCase>,
                     protected testing_support::SimulatedProgrammer {
 protected:
  EpromVoltage() : SimulatedProgrammer("meldrix_voltage") {}
};

TEST_P(EpromVoltage, OutcomeIsTheDatasheetsAndNoVoltageAboveTheChosenOne) {
  const VoltageCase& c = GetParam();
  testing_support::SelectInTheList(p, c.device);
  if (c.other_part) {
    ASSERT_NE(socket.PutNewChip(true), nullptr);
  }
  p.Voltage_button_Click(c.option);
  const std::vector<uint8_t> image{0x12, 0x00, 0x5A, 0xA5};
  std::copy(image.begin(), image.end(), p.buf.CodeBuffer.begin());
  testing_support::TakeAsImage(p, static_cast<int32_t>(image.size()));
  ui.log.clear();
  p.Program_button_Click();

  const auto logged = [this](const std::string& line) {
    return std::find(ui.log.begin(), ui.log.end(), line) != ui.log.end();
  };
  const sim::Chip& chip = *socket.chip();
  EXPECT_EQ(chip.HighestVpp(), c.applied_mv);
  EXPECT_EQ(!chip.Damage().empty(), c.outcome == Damaged) << chip.Damage();
  EXPECT_EQ(logged("Programming Device Successfull"), c.outcome == Programs);
  EXPECT_EQ(logged("*** Programming Failure ***"), c.outcome != Programs);
  const bool holds = std::equal(image.begin(), image.end(), chip.Contents().begin());
  EXPECT_EQ(holds, c.outcome == Programs);
}

INSTANTIATE_TEST_SUITE_P(Rows, EpromVoltage, ::testing::ValuesIn(kCases));

}  // namespace
