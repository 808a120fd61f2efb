#include "install/info_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "base/text.h"
#include "test_support.h"

namespace {

class InfoFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_.installDir = dir_.path();
    state_.userId = static_cast<int>(getuid());
    state_.groupId = static_cast<int>(getgid());
  }
  ScratchDir dir_;
  SetupState state_;
  LogCapture log_{state_};
};

// Without an old file the upgrade writes the fresh file: these 26 lines, mode 0755 whatever was there.
TEST_F(InfoFileTest, UpgradeWithoutOldFileWritesTheFreshFile) {
  writeFile(dir_ / "orvoInfo4.0", std::string(2000, 'z'), 0600);
  upgradeInfoFile(state_);
  EXPECT_EQ(readFile(dir_ / "orvoInfo4.0"),
            "#\n# Orvo 4.0 Information File\n#\n%%QIXBLOCK_GENERAL_BEGIN\nUSRDIR          " + dir_.path() +
                "\nHOMEDIR         $HOME\nTMPDIR          /tmp\n%%QIXBLOCK_GENERAL_END\n#\n#\n"
                "%%QIXBLOCK_PRINTERS_BEGIN\nDefault\n%%QIXBLOCK_PRINTERS_END\n#\n#\n%%QIXBLOCK_USERS_BEGIN\nroot\n"
                "%%QIXBLOCK_USERS_END\n#\n#\n%%QIXBLOCK_PRNT_BEGIN Default\nroot\n%%QIXBLOCK_PRNT_END Default\n#\n#\n"
                "%%QIXEND\n");
  EXPECT_EQ(modeOf(dir_ / "orvoInfo4.0"), 0755);
  EXPECT_TRUE(
      contains(log_.text(), "Cannot open file:\n\t'" + (dir_ / "orvoInfo2.0") + "',\nPlease check and try again.\n"));
}

// Only the first title line changes; every other line passes whole, a 300-character one included.
TEST_F(InfoFileTest, UpgradeReplacesOnlyTheFirstTitleLine) {
  const std::string rest = "#\nUSRDIR  /srv/orvo\n# see the Information File notes\n" + std::string(300, 'z') + "\n";
  writeFile(dir_ / "orvoInfo2.0", "#\n# Orvo 2.0 Information File\n" + rest);
  upgradeInfoFile(state_);
  EXPECT_EQ(readFile(dir_ / "orvoInfo4.0"), "#\n# Orvo 3.0 Information File\n" + rest);
  EXPECT_EQ(log_.text(), "Copied orvoInfo2.0 to orvoInfo3.0 file.\n");
}

}  // namespace
