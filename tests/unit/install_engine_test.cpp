#include "install/install_engine.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "driver/setup_state.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

// The copy loop, the generated files and the modes are shown in the sandbox scenarios.
class InstallEngineTest : public ::testing::Test {
 protected:
  ScratchDir root_;
  SetupState state_;
  LogCapture log_{state_};
};

TEST_F(InstallEngineTest, MakeBaseDirsRunsOncePerProcess) {
  EXPECT_EQ(makeBaseDirs(state_, ""), 0);
  writeFile(root_ / "plain", "x");
  EXPECT_EQ(makeBaseDirs(state_, root_ / "plain"), 0);
  EXPECT_NE(log_.text().find("No VYR directory: '" + (root_ / "plain") + "' possible"), std::string::npos);

  EXPECT_EQ(makeBaseDirs(state_, root_ / "vyr"), 1);
  EXPECT_TRUE(fs::is_directory(root_ / "vyr/bin") && fs::is_directory(root_ / "vyr/etc"));
  EXPECT_EQ(makeBaseDirs(state_, root_ / "other"), 1);
  EXPECT_FALSE(fs::exists(root_ / "other"));
}

TEST_F(InstallEngineTest, BackupOfMissingPpdDirRunsNothing) {
  EXPECT_EQ(backupPPDs(state_, root_ / "none"), -1);
  EXPECT_EQ(log_.text(), "Cannot access PPD dir: \"" + (root_ / "none") + "\"\n");
}

}  // namespace
