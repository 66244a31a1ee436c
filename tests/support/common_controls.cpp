// Each test program stands in for the uninstaller, whose entry loads the
// common controls from the system folder before anything else: the progress
// dialog's bar needs their class, also where a test makes the dialog itself.
#include <gtest/gtest.h>

#include "uninstall/system_libraries.h"

namespace {

class CommonControls : public testing::Environment {
 public:
  void SetUp() override { ASSERT_NE(uninstall::LoadSystemLibrary("comctl32.dll"), nullptr); }
};

// gtest owns the environment; registered before main runs the tests.
[[maybe_unused]] testing::Environment* const kCommonControls =
    testing::AddGlobalTestEnvironment(new CommonControls);  // NOLINT(cert-err58-cpp): a failure here ends the test program, as it should

}  // namespace
