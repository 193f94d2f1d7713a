#include "platform/clock.h"

#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

namespace platform {
namespace {

std::string Format(const char* pattern, bool user_locale) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::ostringstream text;
  try {
    if (user_locale) text.imbue(std::locale(""));
  } catch (const std::runtime_error&) {
    // An unknown LANG leaves the classic locale in place.
  }
  text << std::put_time(&local, pattern);
  return text.str();
}

}  // namespace

std::string SystemClock::LocaleTime() const {
  return Format("%X", true);
}
std::string SystemClock::LocaleDate() const {
  return Format("%x", true);
}
std::string SystemClock::Stamp() const {
  return Format("%m-%d-%Y %H:%M:%S", false);
}

}  // namespace platform
