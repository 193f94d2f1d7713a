#pragma once

#include <string>

#include "platform/clock.h"

namespace testing_support {

// A clock that always reads the same moment.
class FakeClock final : public platform::Clock {
 public:
  std::string time = "22:41:07";
  std::string date = "12/07/2026";
  std::string stamp = "12-07-2026 22:41:07";
  std::string LocaleTime() const override { return time; }
  std::string LocaleDate() const override { return date; }
  std::string Stamp() const override { return stamp; }
};

}  // namespace testing_support
