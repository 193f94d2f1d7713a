#pragma once

#include "platform/temporary_directory.h"

namespace testing_support {

// A fresh directory for one test, removed with all it holds when the test is done.
using TempDir = platform::TemporaryDirectory;

}  // namespace testing_support
