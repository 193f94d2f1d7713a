#include "devices/catalogue.h"

#include <gtest/gtest.h>

#include <string>

#include "sim/socket_kinds.h"

namespace {

struct ExpectedRow {
  const char* name;
  char family;
  char type;
  int size_kb;
  int bytes;
  int reg1_mask;
  int reg3_mask;
  int vpp_class;
  char supported;
};

// The catalogue as the board's documentation lists it, typed in by hand.
constexpr ExpectedRow kExpected[] = {
    {"Eprom 2732A", 'P', '1', 4, 4096, 0x20, 0, 3, 'Y'},
    {"Eprom 2732B", 'P', '1', 4, 4096, 0x20, 0, 1, 'Y'},
    {"Eprom 2732", 'P', '1', 4, 4096, 0x20, 0, 3, 'Y'},
    {"Eprom 27C32", 'P', '1', 4, 4096, 0x20, 0, 3, 'Y'},
    {"Eprom 2764", 'P', '2', 8, 8192, 0xC0, 2, 3, 'Y'},
    {"Eprom 27C64", 'P', '2', 8, 8192, 0xC0, 2, 1, 'Y'},
    {"Eprom 27128", 'P', '3', 16, 16384, 0xC0, 2, 3, 'Y'},
    {"Eprom 27C128", 'P', '3', 16, 16384, 0xC0, 2, 1, 'Y'},
    {"Eprom 27256", 'P', '4', 32, 32768, 0x80, 2, 3, 'Y'},
    {"Eprom 27C256", 'P', '4', 32, 32768, 0x80, 2, 1, 'Y'},
    {"Eprom 27C512", 'P', '5', 64, 65536, 0, 2, 1, 'Y'},
    {"Eprom 27C1001", 'P', '6', 128, 131072, 0, 0x0C, 1, 'Y'},
    {"Eprom 27C010", 'P', '6', 128, 131072, 0, 0x0C, 1, 'Y'},
    {"Eprom 27C2001", 'P', '7', 256, 262144, 0, 0x0C, 1, 'Y'},
    {"Eprom 27C020", 'P', '7', 256, 262144, 0, 0x0C, 1, 'Y'},
    {"Eprom 27C4001", 'P', '8', 512, 524288, 0, 8, 1, 'Y'},
    {"Eprom 27C040", 'P', '8', 512, 524288, 0, 8, 1, 'Y'},
    {"Eprom 27C801", 'P', '9', 1024, 1048576, 0, 0, 1, 'Y'},
    {"Eprom 27C080", 'P', '9', 1024, 1048576, 0, 0, 1, 'Y'},
    {"Eprom 27C080 OTP", 'P', 'M', 1024, 1048576, 0, 0, 1, 'N'},
    {"Flash Atmel AT29C256", 'F', 'A', 32, 32768, 0x80, 2, 0, 'Y'},
    {"Flash AMIC A29040", 'F', 'L', 512, 524288, 0, 4, 0, 'Y'},
    {"Flash AMD AM29F010", 'F', 'S', 128, 131072, 0, 4, 0, 'Y'},
    {"Flash AMD AM29F020", 'F', 'R', 256, 262144, 0, 4, 0, 'Y'},
    {"Flash AMD AM29F040", 'F', 'M', 512, 524288, 0, 4, 0, 'Y'},
    {"Flash EON EN29F040", 'F', 'M', 512, 524288, 0, 4, 0, 'Y'},
    {"Flash Atmel AT29F040", 'F', 'N', 512, 524288, 0, 4, 0, 'N'},
    {"Flash Catalyst CAT28F001", 'F', 'O', 128, 131072, 0, 0x0C, 0, 'N'},
    {"Flash Catalyst CAT28F010", 'F', 'P', 128, 131072, 0, 0x0C, 0, 'N'},
    {"Flash Catalyst CAT28F020", 'F', 'Q', 256, 262144, 0, 0x0C, 0, 'N'},
    {"Eeprom XICOR X28C256", 'E', 'N', 32, 32768, 0x40, 2, 0, 'Y'},
    {"Eeprom Catalyst CAT28C256", 'E', 'O', 32, 32768, 0x40, 2, 0, 'N'},
    {"Eeprom Catalyst CAT28C257", 'E', 'P', 32, 32768, 0x40, 2, 0, 'N'},
    {"Eeprom 24C08 Serial (8 pins)", 'E', 'A', 1, 1024, 0, 0, 0, 'N'},
    {"Eeprom 24C16 Serial (8 pins)", 'E', 'B', 2, 2048, 0, 0, 0, 'N'},
    {"Eeprom 24C32 Serial (8 pins)", 'E', 'C', 4, 4096, 0, 0, 0, 'N'},
    {"Eeprom 24C256 Serial (8 pins)", 'E', 'E', 32, 32768, 0, 0, 0, 'N'},
    {"uC Atmel AT90S2313 Micro", 'M', 'J', 1024, 1048576, 0, 0, 0, 'N'},
    {"Flash SST SST39SF010A", 'F', 'T', 128, 131072, 0, 4, 0, 'Y'},
    {"Flash SST SST39SF020A", 'F', 'U', 256, 262144, 0, 4, 0, 'Y'},
    {"Flash SST SST39SF040", 'F', 'V', 512, 524288, 0, 4, 0, 'Y'},
    {"Flash Atmel AT29C010A", 'F', 'W', 128, 131072, 0, 4, 0, 'Y'},
    {"Flash Atmel AT29C020", 'F', 'X', 256, 262144, 0, 4, 0, 'Y'},
    {"Flash Atmel AT29C040A", 'F', 'Y', 512, 524288, 0, 4, 0, 'Y'},
    {"Eeprom Atmel AT28C256", 'E', 'Q', 32, 32768, 0x40, 2, 0, 'Y'},
    {"Eeprom Atmel AT28C64B", 'E', 'R', 8, 8192, 0x40, 2, 0, 'Y'},
};
static_assert(std::size(kExpected) == devices::kDeviceCount);

TEST(Catalogue, EveryRowMatchesTheDeviceList) {
  for (size_t row = 0; row < devices::kDeviceCount; ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    const ExpectedRow& want = kExpected[row];
    const devices::DeviceEntry& got = devices::DeviceTable[row];
    EXPECT_EQ(got.Name, want.name);
    EXPECT_EQ(got.Family, want.family);
    EXPECT_EQ(got.Type, want.type);
    EXPECT_EQ(got.SizeKB, want.size_kb);
    EXPECT_EQ(got.SizeKB * 1024, want.bytes);
    EXPECT_EQ(got.Reg1Mask, want.reg1_mask);
    EXPECT_EQ(got.Reg3Mask, want.reg3_mask);
    EXPECT_EQ(got.VppClass, want.vpp_class);
    EXPECT_EQ(got.Supported, want.supported == 'Y');
  }
}

TEST(Catalogue, ListEntriesArePaddedToThirtyAndMarkUnsupportedRows) {
  EXPECT_EQ(devices::ListEntry(devices::DeviceTable[4]), "Eprom 2764                    ");
  EXPECT_EQ(devices::ListEntry(devices::DeviceTable[19]), "N/A - Eprom 27C080 OTP              ");
  // The longest name leaves a single blank.
  EXPECT_EQ(devices::ListEntry(devices::DeviceTable[36]), "N/A - Eeprom 24C256 Serial (8 pins) ");
  EXPECT_EQ(devices::PaddedName(devices::DeviceTable[36]).size(), 30U);
}

using devices::DeviceEntry;
using devices::ProgramAlgorithm;

// A row the operator can choose has an algorithm, a walk and a simulated chip of its size that
// answers the ID codes the row expects; a row marked N/A has none of them. The simulator is
// written from the chips' side, so a row that disagrees with it has the wrong part's data.
TEST(Catalogue, SupportedRowsHaveAnAlgorithmAndASimulatedChipOfTheirSize) {
  for (const DeviceEntry& row : devices::DeviceTable) {
    SCOPED_TRACE(std::string(row.Name));
    const sim::SocketKind* chip = sim::FindSocketKind(row.Name);
    EXPECT_EQ(row.Program != ProgramAlgorithm::None, row.Supported);
    EXPECT_EQ(chip != nullptr, row.Supported);
    if (!row.Supported || chip == nullptr) continue;
    EXPECT_NE(row.Addressing, devices::AddressLoad::None);
    EXPECT_EQ(chip->size, static_cast<uint32_t>(row.SizeKB) * 1024);
    EXPECT_EQ(chip->maker, row.FlashMaker);
    EXPECT_EQ(chip->device, row.FlashDevice);
  }
}

// Sizes are whole powers of two the 20 address lines reach; only the EPROMs take a programming
// voltage above 5 V, and each of them at least 12.5 V.
TEST(Catalogue, SizesAndVoltageClassesAreInRange) {
  for (const DeviceEntry& row : devices::DeviceTable) {
    SCOPED_TRACE(std::string(row.Name));
    EXPECT_GE(row.SizeKB, 1);
    EXPECT_LE(row.SizeKB, 1024);
    EXPECT_EQ(row.SizeKB & (row.SizeKB - 1), 0);
    EXPECT_GE(row.VppClass, 0);
    EXPECT_LE(row.VppClass, 3);
    EXPECT_EQ(row.VppClass > 0, row.Family == 'P');
  }
}

// The Flash algorithms need the command interface and the wiring they were written for; the
// 32-pin chips' command set is what their erase and the maker list rest on.
TEST(Catalogue, FlashRowsCarryTheCommandsAndWiringOfTheirAlgorithm) {
  for (const DeviceEntry& row : devices::DeviceTable) {
    SCOPED_TRACE(std::string(row.Name));
    switch (row.Program) {
      case ProgramAlgorithm::CommandFlash:
        EXPECT_EQ(row.Commands, devices::FlashCommands::Strobed);
        EXPECT_EQ(row.Erase, devices::EraseAlgorithm::CommandFlash);
        EXPECT_EQ(row.Wiring, board::AddressWiring::A18OnL3Bit3);
        break;
      case ProgramAlgorithm::SectorFlash:
        EXPECT_EQ(row.Commands, devices::FlashCommands::Strobed);
        EXPECT_EQ(row.Erase, devices::EraseAlgorithm::SectorFlash);
        EXPECT_EQ(row.Wiring, board::AddressWiring::A18OnL3Bit3);
        break;
      case ProgramAlgorithm::AT29C256:
        EXPECT_EQ(row.Commands, devices::FlashCommands::PageWrite);
        EXPECT_EQ(row.Erase, devices::EraseAlgorithm::AT29C256);
        break;
      case ProgramAlgorithm::X28C256:
      case ProgramAlgorithm::AtmelEeprom:
        EXPECT_EQ(row.Commands, devices::FlashCommands::None);
        EXPECT_EQ(row.Erase, devices::EraseAlgorithm::ProgramFF);
        EXPECT_EQ(row.Wiring, board::AddressWiring::A14OnL1Bit7);
        break;
      default:
        EXPECT_EQ(row.Commands, devices::FlashCommands::None);
        EXPECT_EQ(row.Erase, devices::EraseAlgorithm::None);
        EXPECT_EQ(row.Wiring, board::AddressWiring::Straight);
    }
  }
}

// Byte programming serves AMIC (37h), AMD (01h), EON (1Ch) and SST (BFh); Atmel's 32-pin chips
// (1Fh) write whole sectors, which a byte-program command per byte would leave half written.
TEST(Catalogue, ByteProgrammingMakersAreThoseOfTheCommandFlashRows) {
  for (int maker = 0; maker <= 0xFF; ++maker) {
    const bool served = maker == 0x37 || maker == 0x01 || maker == 0x1C || maker == 0xBF;
    EXPECT_EQ(devices::ByteProgrammingMaker(maker), served) << maker;
    EXPECT_EQ(devices::SectorWritingMaker(maker), maker == 0x1F) << maker;
  }
}

// The ID a chip reports leads to one row at most; the AM29F020's ID, not in the ID table, still
// leads to its row.
TEST(Catalogue, AChipsIdLeadsToItsRow) {
  EXPECT_EQ(devices::RowOfChip(0xBF, 0xB7)->Name, "Flash SST SST39SF040");
  EXPECT_EQ(devices::RowOfChip(0x01, 0x8C)->Name, "Flash AMD AM29F020");
  EXPECT_EQ(devices::RowOfChip(0x1F, 0xDC)->Name, "Flash Atmel AT29C256");
  EXPECT_EQ(devices::RowOfChip(0x1F, 0x25), nullptr);  // the 16-bit AT29C1024 has none
  EXPECT_EQ(devices::PartName(*devices::RowOfChip(0x1F, 0xA4)), "Atmel AT29C040A");
}

}  // namespace
