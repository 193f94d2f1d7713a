#include "frontend/log_text.h"

#include <cmath>
#include <cstdio>

#include "buffers/hex_page.h"

namespace frontend {

std::string LogEntry(std::string_view time_of_day, std::string_view message) {
  std::string entry;
  entry.reserve(2 + time_of_day.size() + 3 + message.size());
  entry.append("\r\n").append(time_of_day).append(">  ").append(message);
  return entry;
}

std::string PrintNumber(double value) {
  char digits[40];
  std::snprintf(digits, sizeof digits, "%.0f", std::floor(value));
  return std::string(" ") + digits + " ";
}

std::string LogFileText(std::string_view log, std::string_view date, std::string_view time) {
  std::string text;
  text.reserve(log.size() + 256);
  text.append("MELDRIX5 SYSTEM LOG FILE - ").append(kVendorText).append("\r\n");
  text.append("The following contents are the log from the Meldrix5 Program\r\n");
  text.append(date).append(" ").append(time).append(" StatCode:");
  text.append(PrintNumber(buffers::StatCode(log))).append("\r\n");
  text.append(60, '-').append("\r\n");
  text.append(log).append("\r\n");
  return text;
}

}  // namespace frontend
