#include "install/uninstall_script.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "test_support.h"

namespace {

// The dated header, and the deletions after the question (what running it does is shown in a scenario);
// the PPD directory lies below ppdInstallDir whatever installDir is; a path with shell characters is quoted.
TEST(UninstallScript, IsDatedDeletesThePackageQuotedAndIsLogged) {
  ScratchDir root;
  UmaskScope mask(077);
  SetupState state;
  LogCapture log(state);
  state.ppdInstallDir = "/usr/share/cups/model/vyr";
  state.commands.rm = "/bin/rm";
  for (const std::string& d : {root / "plain", root / "a b;c"}) {
    fs::create_directories(d + "/etc");
    state.installDir = d;
    writeUninstallScript(state);
    const std::string text = readFile(d + "/etc/UNINSTALLORVO"), q = d == root / "plain" ? "" : "'";
    const std::string header = "#!/bin/sh\n#\n# De-installation script of Orvo 3.0 dated: ";
    ASSERT_TRUE(text.starts_with(header)) << text;
    EXPECT_EQ(text.find('\n', header.size()) - header.size(), 24u);  // the calendar time
    // The filter's link goes before the filter, while the script's "[ -f ]" can still see it.
    EXPECT_TRUE(text.ends_with(
        "\nfi\ndelFile " + q + d + "/orvoInfo4.0" + q + "\ndelFile /usr/bin/qixgsfilter\ndelFile " + q + d +
        "/bin/qixgsfilter" + q + "\ndelFile " + q + d + "/bin/nc" + q + "\ndelFile " + q + d + "/bin/setup" + q + "\ndelFile " +
        q + d + "/etc/orvo4.0.png" + q + "\ndelFile " + q + d + "/etc/ORVOINST.CONF" + q + "\ndelFile " + q + d +
        "/ORVOINST.CONF" + q + "\ndelDir /usr/share/cups/model/vyr/ppd\ndelDir " + q + d + "/etc" + q + "\ndelDir " +
        q + d + "/bin" + q + "\ndelDir " + q + d + q + "\n"))
        << text;
    EXPECT_EQ(modeOf(d + "/etc/UNINSTALLORVO"), 0755);
  }
  EXPECT_EQ(log.text(), "Created script: " + root / "plain/etc/UNINSTALLORVO" +
                            ".\nCreated script: " + root / "a b;c/etc/UNINSTALLORVO" + ".\n");
}

}  // namespace
