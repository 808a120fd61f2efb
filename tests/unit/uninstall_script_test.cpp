#include "install/uninstall_script.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "driver/setup_state.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> readLines(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class UninstallScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) / ("uninstall_script_test" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "etc");
    state_.installDir = dir_.string();
    state_.ppdInstallDir = "/usr/share/cups/model/vyr";
    state_.commands.rm = "/bin/rm";
    state_.userId = static_cast<int>(getuid());
    state_.groupId = static_cast<int>(getgid());
    logPath_ = dir_.string() + ".log";
    state_.logFile = std::fopen(logPath_.c_str(), "w");
    state_.logIsOpen = 1;
    savedMask_ = umask(077);
  }
  void TearDown() override {
    umask(savedMask_);
    std::fclose(state_.logFile);
    fs::remove(logPath_);
    fs::remove_all(dir_);
  }
  fs::path script() const { return dir_ / "etc" / "UNINSTALLORVO"; }
  fs::path dir_;
  std::string logPath_;
  mode_t savedMask_ = 0;
  SetupState state_;
};

TEST_F(UninstallScriptTest, ScriptHoldsThe74LinesWithMode0755AndIsLogged) {
  writeUninstallScript(state_);
  std::vector<std::string> lines = readLines(script());
  ASSERT_EQ(lines.size(), 74u);
  // Line 3 ends with the 24-character calendar time.
  const std::string header = "# De-installation script of Orvo 3.0 dated: ";
  EXPECT_EQ(lines[2].substr(0, header.size()), header);
  EXPECT_EQ(lines[2].size(), header.size() + 24);
  const std::string d = dir_.string();
  const std::vector<std::pair<int, std::string>> expected = {
      {1, "#!/bin/sh"},
      {11, "  /bin/rm $1"},
      {20, "  /bin/rm -rf $1"},
      {25, "# Get a yes or no answer from the user.  Argument 1 is prompt, 2 is default."},
      {29, "        if [ \"$2\" = \"\" ] ; then"},
      {32, "                prompt=\"$1 [$2]? \""},
      {34, " "},
      {41, "                        answer=$2"},
      {47, "                [oO]|[yY]|[yY][eE][sS])"},
      {48, "                        return 0 ; break ;;"},
      {49, "                [nN]|[nN][oO])"},
      {52, "                        echo \"Answer with yes or no please.\""},
      {55, "}"},
      {57, "echo \"De-installation of 'Orvo 4.0-0'\""},
      {58, "yorn \"Do you really want to de-install Orvo 3.0?\" \"no\""},
      {61, "  exit"},
      {63, "delFile " + d + "/orvoInfo4.0"},
      {66, "delFile /usr/bin/qixgsfilter"},
      {70, "delFile " + d + "/ORVOINST.CONF"},
      {71, "delDir /usr/share/cups/model/vyr/ppd"},
      {74, "delDir " + d},
  };
  for (const auto& [number, text] : expected) EXPECT_EQ(lines[number - 1], text) << "line " << number;
  EXPECT_EQ(readFile(script()).back(), '\n');
  struct stat info {};
  ASSERT_EQ(stat(script().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0755u);
  EXPECT_EQ(readFile(logPath_), "Created script: " + script().string() + ".\n");
}

TEST_F(UninstallScriptTest, PathWithShellCharactersIsQuoted) {
  state_.installDir = dir_.string() + "/a b;c";
  fs::create_directories(state_.installDir + "/etc");
  writeUninstallScript(state_);
  std::vector<std::string> lines = readLines(state_.installDir + "/etc/UNINSTALLORVO");
  ASSERT_EQ(lines.size(), 74u);
  EXPECT_EQ(lines[62], "delFile '" + state_.installDir + "/orvoInfo4.0'");
  EXPECT_EQ(lines[73], "delDir '" + state_.installDir + "'");
}

TEST_F(UninstallScriptTest, MissingEtcDirectoryIsLoggedWithoutCreatedLine) {
  fs::remove(dir_ / "etc");
  writeUninstallScript(state_);
  EXPECT_EQ(readFile(logPath_), "Cannot open file:\n\t'" + script().string() + "',\nPlease check and try again.\n");
  EXPECT_FALSE(fs::exists(script()));
}

}  // namespace
