#include "install/uninstall_script.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "test_support.h"

namespace {

// What the script does when run (the question, the files it deletes) and the log line of a script
// that cannot be made are shown in the sandbox scenarios.
class UninstallScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "etc");
    state_.installDir = dir_.path();
    state_.ppdInstallDir = "/usr/share/cups/model/vyr";
    state_.commands.rm = "/bin/rm";
    state_.userId = static_cast<int>(getuid());
    state_.groupId = static_cast<int>(getgid());
  }
  std::string script() const { return dir_ / "etc/UNINSTALLORVO"; }
  ScratchDir dir_;
  SetupState state_;
  LogCapture log_{state_};
  UmaskScope mask_{077};
};

// The dated header, and the deletions after the question (what running it does is shown in a scenario);
// the PPD directory lies below ppdInstallDir whatever installDir is.
TEST_F(UninstallScriptTest, ScriptIsDatedDeletesThePackageAndIsLogged) {
  writeUninstallScript(state_);
  const std::string text = readFile(script()), d = dir_.path();
  const std::string header = "#!/bin/sh\n#\n# De-installation script of Orvo 3.0 dated: ";
  ASSERT_TRUE(text.starts_with(header)) << text;
  EXPECT_EQ(text.find('\n', header.size()) - header.size(), 24u);  // the calendar time
  // The filter's link goes before the filter, while the script's "[ -f ]" can still see it.
  EXPECT_TRUE(text.ends_with("\nfi\ndelFile " + d + "/orvoInfo4.0\ndelFile /usr/bin/qixgsfilter\ndelFile " + d +
                             "/bin/qixgsfilter\ndelFile " + d + "/bin/nc\ndelFile " + d + "/bin/setup\ndelFile " + d +
                             "/etc/orvo4.0.png\ndelFile " + d + "/etc/ORVOINST.CONF\ndelFile " + d +
                             "/ORVOINST.CONF\ndelDir /usr/share/cups/model/vyr/ppd\ndelDir " + d + "/etc\ndelDir " + d +
                             "/bin\ndelDir " + d + "\n"))
      << text;
  EXPECT_EQ(modeOf(script()), 0755);
  EXPECT_EQ(log_.text(), "Created script: " + script() + ".\n");
}

TEST_F(UninstallScriptTest, PathWithShellCharactersIsQuoted) {
  state_.installDir = dir_ / "a b;c";
  fs::create_directories(state_.installDir + "/etc");
  writeUninstallScript(state_);
  const std::string text = readFile(state_.installDir + "/etc/UNINSTALLORVO");
  EXPECT_NE(text.find("\nfi\ndelFile '" + state_.installDir + "/orvoInfo4.0'\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("\ndelDir '" + state_.installDir + "'\n")) << text;
}

}  // namespace
