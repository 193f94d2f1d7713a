#include "cli/device_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/catalogue.h"

namespace {

std::vector<std::string_view> CatalogueNames() {
  std::vector<std::string_view> names;
  for (const auto& row : devices::DeviceTable) names.push_back(row.Name);
  return names;
}

struct NameCase {
  const char* given;
  const char* selects;  // nullptr: no single row
  std::vector<std::string> candidates;
};

TEST(DeviceNames, EachSpellingSelectsItsRowOrListsTheCandidates) {
  const auto names = CatalogueNames();
  const std::vector<NameCase> cases = {
      {"27C256", "Eprom 27C256", {}},
      {"eprom 27c256", "Eprom 27C256", {}},
      {"  EPROM   27C256 ", "Eprom 27C256", {}},
      {"am29f040", "Flash AMD AM29F040", {}},
      {"flash am29f040", "Flash AMD AM29F040", {}},  // the family word without the maker
      {"eeprom x28c256", "Eeprom XICOR X28C256", {}},
      {"eprom am29f040", nullptr, {}},  // a family word that is not the part's
      {"flash 29f040", nullptr, {}},
      {"2732", "Eprom 2732", {}},      // not 2732A or 2732B
      {"27C080", "Eprom 27C080", {}},  // not the OTP part whose name only contains it
      {"N/A - Eprom 27C080 OTP", "Eprom 27C080 OTP", {}},
      {"atmel",
       nullptr,
       {"Flash Atmel AT29C256", "Flash Atmel AT29F040", "uC Atmel AT90S2313 Micro",
        "Flash Atmel AT29C010A", "Flash Atmel AT29C020", "Flash Atmel AT29C040A",
        "Eeprom Atmel AT28C256", "Eeprom Atmel AT28C64B"}},
      {"29F04", nullptr, {"Flash AMD AM29F040", "Flash EON EN29F040", "Flash Atmel AT29F040"}},
      {"27C999", nullptr, {}},
      {"", nullptr, {}},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.given);
    const cli::DeviceMatch match = cli::MatchDevice(c.given, names);
    if (c.selects != nullptr) {
      ASSERT_GE(match.index, 0);
      EXPECT_EQ(names[static_cast<size_t>(match.index)], c.selects);
    } else {
      EXPECT_EQ(match.index, -1);
      EXPECT_EQ(match.candidates, c.candidates);
    }
  }
}

}  // namespace
