#pragma once

#include <string>
#include <string_view>

namespace frontend {

// The text after "MELDRIX-5A Eprom Programmer - " in the caption and after "... FILE - " in the
// first line of the files the program writes.
inline constexpr std::string_view kVendorText = "MELDRIX5N Programmer";
inline constexpr std::string_view kLogFileName = "MELDRIX5.LOG";

// One log entry as it is appended to the log: the line break comes first, so a non-empty log
// begins with an empty line and never ends with a line break.
std::string LogEntry(std::string_view time_of_day, std::string_view message);

// A whole number as the print convention writes it: a blank (the sign position), the digits and
// one blank after them.
std::string PrintNumber(double value);

// The whole content of "MELDRIX5.LOG": four header lines, then the log text and a line end.
std::string LogFileText(std::string_view log, std::string_view date, std::string_view time);

}  // namespace frontend
