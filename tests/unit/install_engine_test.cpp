#include "install/install_engine.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "test_support.h"

namespace {

// The copy loop, the archive (also of a missing PPD directory) and the modes are shown in the sandbox scenarios. Until the base
// directories are made once, each call tries; afterwards none does.
TEST(MakeBaseDirs, RunsOncePerProcess) {
  ScratchDir root;
  SetupState state;
  LogCapture log(state);
  EXPECT_EQ(makeBaseDirs(state, ""), 0);
  writeFile(root / "plain", "x");
  EXPECT_EQ(makeBaseDirs(state, root / "plain"), 0);
  EXPECT_TRUE(contains(log.text(), "No VYR directory: '" + (root / "plain") + "' possible"));
  EXPECT_EQ(makeBaseDirs(state, root / "vyr"), 1);
  EXPECT_TRUE(fs::is_directory(root / "vyr/bin") && fs::is_directory(root / "vyr/etc"));
  EXPECT_EQ(makeBaseDirs(state, root / "other"), 1);
  EXPECT_FALSE(fs::exists(root / "other"));
}

}  // namespace
