#include "install/info_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "driver/setup_state.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

// The exact text and mode of a fresh file are shown in the sandbox scenarios; here the paths around them.
class InfoFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_.installDir = dir_.path();
    state_.userId = static_cast<int>(getuid());
    state_.groupId = static_cast<int>(getgid());
  }
  std::string cannotOpen(const std::string& path) {
    return "Cannot open file:\n\t'" + path + "',\nPlease check and try again.\n";
  }
  ScratchDir dir_;
  SetupState state_;
  LogCapture log_{state_};
};

TEST_F(InfoFileTest, FileThatCannotBeMadeIsLogged) {
  state_.installDir = dir_ / "missing";
  writeInfoFile(state_);
  EXPECT_EQ(log_.text(), cannotOpen(dir_ / "missing/orvoInfo4.0"));
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

// Only the first title line changes; every other line passes whole, a 300-character one included.
TEST_F(InfoFileTest, UpgradeReplacesOnlyTheFirstTitleLine) {
  const std::string rest =
      "#\nUSRDIR          /srv/orvo\n# see the Information File notes\n%%QIXBLOCK_PRINTERS_BEGIN\n"
      "laser1\n%%QIXBLOCK_PRINTERS_END\n" +
      std::string(300, 'z') + "\n%%QIXEND\n";
  writeFile(dir_ / "orvoInfo2.0", "#\n# Orvo 2.0 Information File\n" + rest);
  upgradeInfoFile(state_);
  EXPECT_EQ(readFile(dir_ / "orvoInfo4.0"), "#\n# Orvo 3.0 Information File\n" + rest);
  EXPECT_TRUE(fs::exists(dir_ / "orvoInfo2.0"));
  EXPECT_EQ(log_.text(), "Copied orvoInfo2.0 to orvoInfo3.0 file.\n");
}

TEST_F(InfoFileTest, UpgradeWithoutOldFileWritesAFreshFile) {
  upgradeInfoFile(state_);
  EXPECT_EQ(log_.text(), cannotOpen(dir_ / "orvoInfo2.0"));
  const std::string upgraded = readFile(dir_ / "orvoInfo4.0");
  writeFile(dir_ / "orvoInfo4.0", "stale contents that must go\n");
  writeInfoFile(state_);
  EXPECT_EQ(upgraded, readFile(dir_ / "orvoInfo4.0"));
  EXPECT_NE(upgraded.find("USRDIR          " + dir_.path() + "\n"), std::string::npos) << upgraded;
}

TEST_F(InfoFileTest, UpgradeFallsBackWhenTheNewFileCannotBeMade) {
  writeFile(dir_ / "orvoInfo2.0", "# Orvo 2.0 Information File\n");
  fs::create_directory(dir_ / "orvoInfo4.0");  // a directory cannot be opened for writing
  upgradeInfoFile(state_);
  EXPECT_EQ(log_.text(), cannotOpen(dir_ / "orvoInfo4.0") + cannotOpen(dir_ / "orvoInfo4.0"));
  EXPECT_TRUE(fs::is_directory(dir_ / "orvoInfo4.0"));
}

}  // namespace
