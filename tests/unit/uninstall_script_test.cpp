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

// The script byte for byte: "@" stands for installDir, line 3 for the dated header checked apart. Blanks
// count: the indentation, the two blanks in line 25 and the one-blank lines are the format. The PPD
// directory lies below ppdInstallDir whatever installDir is.
constexpr const char* kScriptText = R"(#!/bin/sh
#
(line 3)
#
#Delete a file
#Syntax : delFile $fileName
#
delFile()
{
if [ -f $1 ] ; then
  /bin/rm $1
fi
}
#
#Delete a directory
#Syntax : delDir $dirName
delDir()
{
if [ -d $1 ] ; then
  /bin/rm -rf $1
fi
}
#
#
# Get a yes or no answer from the user.  Argument 1 is prompt, 2 is default.
#
yorn()
{
        if [ "$2" = "" ] ; then
                prompt="$1? "
        else
                prompt="$1 [$2]? "
        fi
 
        while true ; do
                echo "$prompt"
                read input
                parsed=$input
 
                if [ "$parsed" = "" ] ; then
                        answer=$2
                else
                        answer=$input
                fi
 
                case $answer in
                [oO]|[yY]|[yY][eE][sS])
                        return 0 ; break ;;
                [nN]|[nN][oO])
                        return 1 ; break ;;
                *)
                        echo "Answer with yes or no please."
                esac
        done
}
#
echo "De-installation of 'Orvo 4.0-0'"
yorn "Do you really want to de-install Orvo 3.0?" "no"
it_is=$?
if [ $it_is -ne 0 ] ; then
  exit
fi
delFile @/orvoInfo4.0
delFile @/bin/qixgsfilter
delFile @/bin/nc
delFile /usr/bin/qixgsfilter
delFile @/bin/setup
delFile @/etc/orvo4.0.png
delFile @/etc/ORVOINST.CONF
delFile @/ORVOINST.CONF
delDir /usr/share/cups/model/vyr/ppd
delDir @/etc
delDir @/bin
delDir @
)";

TEST_F(UninstallScriptTest, ScriptHoldsThe74LinesWithMode0755AndIsLogged) {
  writeUninstallScript(state_);
  std::string text = readFile(script());
  // Line 3 ends with the 24-character calendar time.
  const std::string header = "# De-installation script of Orvo 3.0 dated: ";
  const size_t line3 = text.find("#\n", 10) + 2, end3 = text.find('\n', line3);
  EXPECT_EQ(text.substr(line3, header.size()), header);
  EXPECT_EQ(end3 - line3, header.size() + 24);
  std::string expected = kScriptText;
  for (size_t at; (at = expected.find('@')) != std::string::npos;) expected.replace(at, 1, dir_.path());
  EXPECT_EQ(text.replace(line3, end3 - line3, "(line 3)"), expected);
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
