#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "operations/programmer.h"
#include "platform/recording_machine.h"
#include "sim/sim_board.h"
#include "support/device_list.h"
#include "support/fake_clock.h"
#include "support/fake_panel.h"

namespace {

using panel::Ctl;

// Selecting a device puts a chip of that kind in the simulated socket; the device view must
// then show exactly what the chip holds, page by page, whatever address lines the part uses.
struct ViewCase {
  int row;  // Device list row
  const char* name;
  int page;  // a page whose address needs the part's own address wiring
};

class DeviceViewOnSimulatedBoard : public ::testing::TestWithParam<ViewCase> {
 protected:
  DeviceViewOnSimulatedBoard() {
    testing_support::BoardAt378(p, 5);
    p.DeviceSelected = [this](std::string_view name) { socket.InsertDevice(name); };
    p.FillDeviceList();
  }
  sim::SimBoard socket{5, 0x378};
  platform::RecordingMachine io{&socket, false};
  testing_support::FakePanel ui;
  testing_support::FakeClock clock;
  ops::Programmer p{io, ui, clock, "unused.ini"};
};

TEST_P(DeviceViewOnSimulatedBoard, ShowsTheChipsBytesPageByPage) {
  const ViewCase c = GetParam();
  p.SetDeviceIndex(c.row);
  ASSERT_EQ(p.dev.DeviceName, c.name);
  ASSERT_NE(socket.chip(), nullptr);
  std::vector<uint8_t> image(static_cast<size_t>(p.dev.DeviceSize));
  // Every address holds a different-looking byte, so a wrong address line shows.
  for (size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<uint8_t>((static_cast<uint32_t>(i) * 2654435761U) >> 24);
  }
  socket.chip()->Load(image);

  p.Display_button_Click();
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + 256, p.PageBuffer.begin()));
  p.SetScrollValue(c.page);
  const auto first = image.begin() + c.page * 256;
  EXPECT_TRUE(std::equal(first, first + 256, p.PageBuffer.begin())) << "page " << c.page;
  char address[8];
  std::snprintf(address, sizeof address, "%06X", c.page * 256);
  EXPECT_EQ(ui.Caption(Ctl::BufferDisplay).substr(2, 6), address);
  EXPECT_EQ(socket.Contentions(), 0U);
}

INSTANTIATE_TEST_SUITE_P(Parts, DeviceViewOnSimulatedBoard,
                         ::testing::Values(ViewCase{9, "Eprom 27C256", 127},
                                           ViewCase{18, "Eprom 27C080", 4095},
                                           ViewCase{24, "Flash AMD AM29F040", 0x7FF},
                                           ViewCase{30, "Eeprom XICOR X28C256", 0x40}),
                         [](const auto& test) { return "row" + std::to_string(test.param.row); });

}  // namespace
