#include "install/info_file.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

// Without an old file the upgrade writes the fresh file, these 26 lines, mode 0755 whatever was there.
// With one, only its first title line changes; every other line passes whole, a 300-character one included.
TEST(UpgradeInfoFile, WritesTheFreshFileOrReplacesOnlyTheFirstTitleLine) {
  ScratchDir dir;
  SetupState state;
  LogCapture log(state);
  state.installDir = dir.path();
  writeFile(dir / "orvoInfo4.0", std::string(2000, 'z'), 0600);
  upgradeInfoFile(state);
  EXPECT_EQ(readFile(dir / "orvoInfo4.0"),
            "#\n# Orvo 4.0 Information File\n#\n%%QIXBLOCK_GENERAL_BEGIN\nUSRDIR          " + dir.path() +
                "\nHOMEDIR         $HOME\nTMPDIR          /tmp\n"
                "%%QIXBLOCK_GENERAL_END\n#\n#\n%%QIXBLOCK_PRINTERS_BEGIN\nDefault\n%%QIXBLOCK_PRINTERS_END\n#\n#\n"
                "%%QIXBLOCK_USERS_BEGIN\nroot\n%%QIXBLOCK_USERS_END\n#\n#\n%%QIXBLOCK_PRNT_BEGIN Default\nroot\n"
                "%%QIXBLOCK_PRNT_END Default\n#\n#\n%%QIXEND\n");
  EXPECT_EQ(modeOf(dir / "orvoInfo4.0"), 0755);
  const std::string rest = "#\nUSRDIR  /srv/orvo\n# see the Information File notes\n" + std::string(300, 'z') + "\n";
  writeFile(dir / "orvoInfo2.0", "#\n# Orvo 2.0 Information File\n" + rest);
  upgradeInfoFile(state);
  EXPECT_EQ(readFile(dir / "orvoInfo4.0"), "#\n# Orvo 3.0 Information File\n" + rest);
  EXPECT_EQ(log.text(), "Cannot open file:\n\t'" + (dir / "orvoInfo2.0") +
                            "',\nPlease check and try again.\nCopied orvoInfo2.0 to orvoInfo3.0 file.\n");
}

}  // namespace
