#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Which catalogue rows a name on the command line may mean.
struct DeviceMatch {
  int index = -1;                       // the one row meant; -1 when none or several
  std::vector<std::string> candidates;  // the rows it could mean, when it is not one
};

// Names are taken forgivingly: case and repeated blanks do not matter, and the family word may
// be left out ("27C256", "eprom 27c256" and "Eprom 27C256" are the same row). A name that is
// the whole of a row's name wins; then one that ends a row's name ("27C080" is not the OTP
// part); then one that is any run of whole words of it. A leading "N/A - " is ignored, so the
// list's own entries are understood. `names` are the catalogue's names in list order.
DeviceMatch MatchDevice(std::string_view wanted, std::span<const std::string_view> names);

}  // namespace cli
