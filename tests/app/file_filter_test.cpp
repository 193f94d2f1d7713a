// File-dialog filters as the operations write them, in the form the Qt dialog reads.
#include "app/file_filter.h"

#include <gtest/gtest.h>

namespace {

TEST(FileFilter, PairsBecomeQtFilterEntries) {
  const std::pair<const char*, const char*> cases[] = {
      // "*.*" would hide files without a dot, such as most ROM dumps.
      {"All Files (*.*)|*.*", "All Files (*)"},
      {"Binary (*.bin)|*.bin|All Files (*.*)|*.*", "Binary (*.bin);;All Files (*)"},
      {"Images|*.bin;*.hex", "Images (*.bin *.hex)"},
      {"", "All Files (*)"},
      {"Only a description", "All Files (*)"},
      {"Empty pattern|", "Empty pattern (*)"},
  };
  for (const auto& [filter, expected] : cases) {
    EXPECT_EQ(app::QtNameFilter(filter), expected) << filter;
  }
}

}  // namespace
