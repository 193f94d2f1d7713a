#pragma once

#include <string>

namespace platform {

// The clock as the operator's locale writes it.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::string LocaleTime() const = 0;  // time of day with seconds, as the locale writes it
  virtual std::string LocaleDate() const = 0;  // the locale's short date
  virtual std::string Stamp() const = 0;       // mm-dd-yyyy hh:mm:ss, 24-hour
};

// Reads the system clock; formats with the user's LC_TIME locale.
class SystemClock final : public Clock {
 public:
  std::string LocaleTime() const override;
  std::string LocaleDate() const override;
  std::string Stamp() const override;
};

}  // namespace platform
