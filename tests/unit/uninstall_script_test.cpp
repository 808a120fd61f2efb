#include "install/uninstall_script.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "driver/setup_state.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

std::vector<std::string> linesOf(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// What the script does when run (the question, the files it deletes) is shown in the sandbox scenarios.
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

TEST_F(UninstallScriptTest, ScriptHoldsThe74LinesWithMode0755AndIsLogged) {
  writeUninstallScript(state_);
  const std::string text = readFile(script());
  std::vector<std::string> lines = linesOf(text);
  ASSERT_EQ(lines.size(), 74u);
  EXPECT_EQ(text.back(), '\n');
  // Line 3 ends with the 24-character calendar time.
  const std::string header = "# De-installation script of Orvo 3.0 dated: ";
  EXPECT_TRUE(lines[2].starts_with(header)) << lines[2];
  EXPECT_EQ(lines[2].size(), header.size() + 24);
  // The rm found, and the PPD directory below ppdInstallDir whatever installDir is.
  const std::pair<int, std::string> expected[] = {
      {11, "  /bin/rm $1"},
      {63, "delFile " + dir_.path() + "/orvoInfo4.0"},
      {71, "delDir /usr/share/cups/model/vyr/ppd"},
      {74, "delDir " + dir_.path()},
  };
  for (const auto& [number, line] : expected) EXPECT_EQ(lines[number - 1], line) << "line " << number;
  EXPECT_EQ(modeOf(script()), 0755);
  EXPECT_EQ(log_.text(), "Created script: " + script() + ".\n");
}

TEST_F(UninstallScriptTest, PathWithShellCharactersIsQuoted) {
  state_.installDir = dir_ / "a b;c";
  fs::create_directories(state_.installDir + "/etc");
  writeUninstallScript(state_);
  std::vector<std::string> lines = linesOf(readFile(state_.installDir + "/etc/UNINSTALLORVO"));
  ASSERT_EQ(lines.size(), 74u);
  EXPECT_EQ(lines[62], "delFile '" + state_.installDir + "/orvoInfo4.0'");
  EXPECT_EQ(lines[73], "delDir '" + state_.installDir + "'");
}

TEST_F(UninstallScriptTest, MissingEtcDirectoryIsLoggedWithoutCreatedLine) {
  fs::remove(dir_ / "etc");
  writeUninstallScript(state_);
  EXPECT_EQ(log_.text(), "Cannot open file:\n\t'" + script() + "',\nPlease check and try again.\n");
  EXPECT_FALSE(fs::exists(script()));
}

}  // namespace
