// Exact port sequences of the EPROM algorithms and of the device walk, on both board models.
#include <gtest/gtest.h>

#include <ostream>

#include "eprom_fixture.h"

namespace eprom_test {
namespace {

struct AlgorithmCase {
  const char* device;
  void (ops::Programmer::*algorithm)();
  // The expected steps for one byte 5Ah that takes two pulses, for board model 4 or 5.
  std::vector<std::string> (*steps)(int model);
  bool pre_read;  // reads the byte before pulsing it
};

void PrintTo(const AlgorithmCase& c, std::ostream* os) {
  *os << c.device;
}

// 27C32: OE/VPP takes the voltage, 5 ms pulses on CE; the byte is read first and the chip is
// disabled before the board drives the bus again for the second pulse.
std::vector<std::string> Steps2732(int m) {
  const int base = m == 4 ? 0x4C : 0x48, oe = base & 0x3F, vpp = base | 0xC0;
  const std::vector<std::string> pass = {L(3, 0x80), L(0, vpp), L(3, 0x00), Z(5),
                                         L(3, 0x80), L(0, oe),  L(3, 0x00), S(20),
                                         L(4, 0xFF), S(10),     L(3, 0x40), S(10)};
  std::vector<std::string> s = {L(3, 0x80), L(3, 0x80), L(0, 0x40), L(0, base), L(0, oe),
                                // pre-read
                                L(1, 0x20), L(2, 0x00), L(3, 0x80), L(0, oe), L(0, oe), L(3, 0x00),
                                L(4, 0xFF), S(10), L(3, 0x40), S(10), R(0xFF), L(3, 0xC0),
                                // byte presented, address loaded
                                L(3, 0x80), L(4, 0x5A), L(1, 0x20), L(2, 0x00), L(3, 0x80)};
  s.insert(s.end(), pass.begin(), pass.end());
  s.push_back(R(0xFF));
  s.insert(s.end(), {L(3, 0xC0), L(3, 0x80), L(4, 0x5A)});  // chip off, byte presented again
  s.insert(s.end(), pass.begin(), pass.end());
  s.insert(s.end(), {R(0x5A), L(0, oe ^ 0x08)});  // lamp
  return s;
}

// 2764: PGM is latch-1 bit 6, VPP routed by latch-0 bit 4, CE held active.
std::vector<std::string> Steps2764(int m) {
  const int reg0 = (m == 4 ? 0x4C : 0x48) | 0x10;
  const std::vector<std::string> pass = {L(1, 0x80), S(40002), L(1, 0xC0), S(20), L(0, reg0 & 0x3F),
                                         L(4, 0xFF), S(10),    L(3, 0x42), S(10)};
  std::vector<std::string> s = {L(3, 0x82), L(3, 0x82), L(0, 0x40), L(0, reg0), L(3, 0x82),
                                L(4, 0x5A), L(1, 0xC0), L(2, 0x00), L(3, 0x82), L(3, 0x02)};
  s.insert(s.end(), pass.begin(), pass.end());
  s.insert(s.end(), {R(0xFF), L(0, reg0), L(3, 0x02), L(4, 0x5A)});
  s.insert(s.end(), pass.begin(), pass.end());
  s.insert(s.end(), {R(0x5A), L(0, reg0), L(0, reg0 ^ 0x08), L(3, 0xC2)});
  return s;
}

// 27C256: the pulse is on CE, VPP routed by latch-0 bit 4; read back with OE alone.
std::vector<std::string> Steps27256(int m) {
  const int reg0 = (m == 4 ? 0x4C : 0x48) | 0x10;
  const std::vector<std::string> pass = {
      L(3, 0x82),        L(0, reg0), L(3, 0x02), S(202),     L(3, 0x82), S(20),
      L(0, reg0 & 0x3F), L(4, 0xFF), S(10),      L(3, 0xC2), S(10)};
  std::vector<std::string> s = {L(3, 0x82), L(3, 0x82), L(0, 0x40), L(0, reg0), L(3, 0x82),
                                L(4, 0x5A), L(1, 0x80), L(2, 0x00), L(3, 0x82)};
  s.insert(s.end(), pass.begin(), pass.end());
  s.insert(s.end(), {R(0xFF), L(0, reg0), L(3, 0x82), L(4, 0x5A)});
  s.insert(s.end(), pass.begin(), pass.end());
  s.insert(s.end(), {R(0x5A), L(0, reg0), L(0, reg0 ^ 0x08)});
  return s;
}

// 27C512: OE/VPP takes the voltage, pulse on CE, byte read first.
std::vector<std::string> Steps27080(int m) {
  const int base = m == 4 ? 0x4C : 0x48, oe = base & 0x3F, vpp = base | 0xC0;
  const std::vector<std::string> pass = {L(0, vpp), L(3, 0x02), S(202), L(3, 0x82),
                                         L(0, oe),  L(3, 0x02), S(20),  L(4, 0xFF),
                                         S(10),     L(3, 0x42), S(10)};
  std::vector<std::string> s = {L(3, 0x82), L(3, 0x82), L(0, 0x40), L(0, base), L(0, oe),
                                L(1, 0x00), L(2, 0x00), L(3, 0x82), L(3, 0x02), L(4, 0xFF),
                                S(10),      L(3, 0x42), S(10),      R(0xFF),    L(3, 0xC2),
                                L(3, 0x82), L(4, 0x5A)};
  s.insert(s.end(), pass.begin(), pass.end());
  s.insert(s.end(), {R(0xFF), L(3, 0xC2), L(3, 0x82), L(4, 0x5A)});
  s.insert(s.end(), pass.begin(), pass.end());
  s.insert(s.end(), {R(0x5A), L(0, oe ^ 0x08)});
  return s;
}

// 27C010: PGM is latch-3 bit 2, VPP routed by latch-0 bit 5, CE held active.
std::vector<std::string> Steps27010(int m) {
  const int reg0 = (m == 4 ? 0x4C : 0x48) | 0x20;
  const std::vector<std::string> pass = {L(3, 0x08), S(202), L(3, 0x0C), S(20), L(0, reg0 & 0x3F),
                                         L(4, 0xFF), S(10),  L(3, 0x4C), S(10)};
  std::vector<std::string> s = {L(3, 0x8C), L(3, 0x0C), L(0, 0x40), L(0, reg0), L(3, 0x0C),
                                L(4, 0x5A), L(1, 0x00), L(2, 0x00), L(3, 0x0C)};
  s.insert(s.end(), pass.begin(), pass.end());
  s.insert(s.end(), {R(0xFF), L(0, reg0), L(3, 0x0C), L(4, 0x5A)});
  s.insert(s.end(), pass.begin(), pass.end());
  s.insert(s.end(), {R(0x5A), L(0, reg0), L(0, reg0 ^ 0x08)});
  return s;
}

const AlgorithmCase kAlgorithms[] = {
    {"Eprom 27C32", &ops::Programmer::P2732, Steps2732, true},
    {"Eprom 2764", &ops::Programmer::P2764_128, Steps2764, false},
    {"Eprom 27C256", &ops::Programmer::P27256_040, Steps27256, false},
    {"Eprom 27C512", &ops::Programmer::P27080, Steps27080, true},
    {"Eprom 27C010", &ops::Programmer::P27010_020, Steps27010, false},
};

class OneByte : public ::testing::TestWithParam<std::tuple<AlgorithmCase, int>> {};

// One byte 5Ah that reads back after its second pulse: every latch value, delay and read-back.
TEST_P(OneByte, ExactPortSequence) {
  const auto& [c, model] = GetParam();
  Rig rig(model, c.device);
  // The byte reads FFh (at the pre-read where there is one, and after the first pulse).
  const int64_t blank_reads = c.pre_read ? 2 : 1;
  rig.device.answer = [blank_reads](int64_t n) {
    return n < blank_reads ? uint8_t{0xFF} : uint8_t{0x5A};
  };
  rig.PrepareProgramming({0x5A});
  (rig.p.*c.algorithm)();
  testing_support::ExpectSteps(rig.Steps(), c.steps(model));
  EXPECT_EQ(rig.ui.log, std::vector<std::string>{"Programming Started... Wait "});
  EXPECT_EQ(rig.p.ProgramFailed, 0);
  EXPECT_EQ(rig.p.board.CurrentAddress, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryAlgorithmBothModels, OneByte,
                         ::testing::Combine(::testing::ValuesIn(kAlgorithms),
                                            ::testing::Values(4, 5)));

}  // namespace
}  // namespace eprom_test
