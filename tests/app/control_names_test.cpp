// Every control of the window contract has its object name: the name list in app/ is kept by
// hand beside the enum, so a control added to one and not the other, or entered twice, must show.
#include "app/control_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

using panel::Ctl;

// The enumerators of Ctl in declaration order (their values: none is given one explicitly).
std::vector<std::string> CtlEnumerators() {
  std::ifstream header(std::filesystem::path(MELDRIX_SOURCE_DIR) / "src" / "panel" / "panel.h");
  std::string line;
  while (std::getline(header, line) && line.rfind("enum class Ctl", 0) != 0) {
  }
  std::vector<std::string> names;
  const std::regex enumerator(R"(^\s*([A-Za-z_][A-Za-z0-9_]*),\s*(//.*)?$)");
  while (std::getline(header, line) && line.rfind("};", 0) != 0) {
    std::smatch m;
    if (std::regex_match(line, m, enumerator)) {
      names.push_back(m[1]);
    } else {
      EXPECT_TRUE(std::regex_match(line, std::regex(R"(^\s*(//.*)?$)"))) << "unread line: " << line;
    }
  }
  return names;
}

TEST(ControlNames, EveryControlHasItsOwnName) {
  const std::vector<std::string> enumerators = CtlEnumerators();
  ASSERT_FALSE(enumerators.empty());
  EXPECT_EQ(enumerators.front(), "frmMain");
  for (size_t value = 0; value < enumerators.size(); ++value) {
    EXPECT_EQ(app::ControlName(static_cast<Ctl>(value)), enumerators[value]) << "value " << value;
  }
}

}  // namespace
