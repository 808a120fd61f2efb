#include "install/info_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/setup_state.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string expectedInfoFile(const std::string& dir) {
  return "#\n# Orvo 4.0 Information File\n#\n%%QIXBLOCK_GENERAL_BEGIN\n"
         "USRDIR          " +
         dir +
         "\n"
         "HOMEDIR         $HOME\nTMPDIR          /tmp\n%%QIXBLOCK_GENERAL_END\n#\n#\n"
         "%%QIXBLOCK_PRINTERS_BEGIN\nDefault\n%%QIXBLOCK_PRINTERS_END\n#\n#\n"
         "%%QIXBLOCK_USERS_BEGIN\nroot\n%%QIXBLOCK_USERS_END\n#\n#\n"
         "%%QIXBLOCK_PRNT_BEGIN Default\nroot\n%%QIXBLOCK_PRNT_END Default\n#\n#\n%%QIXEND\n";
}

class InfoFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) / ("info_file_test" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    state_.installDir = dir_.string();
    state_.userId = static_cast<int>(getuid());
    state_.groupId = static_cast<int>(getgid());
    logPath_ = dir_.string() + ".log";
    state_.logFile = std::fopen(logPath_.c_str(), "w");
    state_.logIsOpen = 1;
    savedMask_ = umask(077);  // the mode must not depend on the umask
  }
  void TearDown() override {
    umask(savedMask_);
    std::fclose(state_.logFile);
    fs::remove(logPath_);
    fs::remove_all(dir_);
  }
  std::string log() { return readFile(logPath_); }
  fs::path dir_;
  std::string logPath_;
  mode_t savedMask_ = 0;
  SetupState state_;
};

TEST_F(InfoFileTest, NewFileHoldsThe26LinesWithMode0755) {
  writeText(dir_ / "orvoInfo4.0", "stale contents that must go\n");
  writeInfoFile(state_);
  std::string text = readFile(dir_ / "orvoInfo4.0");
  EXPECT_EQ(text, expectedInfoFile(dir_.string()));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 26);
  struct stat info {};
  ASSERT_EQ(stat((dir_ / "orvoInfo4.0").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0755u);
  EXPECT_EQ(info.st_uid, getuid());
}

TEST_F(InfoFileTest, FileThatCannotBeMadeIsLogged) {
  state_.installDir = (dir_ / "missing").string();
  writeInfoFile(state_);
  EXPECT_EQ(log(), "Cannot open file:\n\t'" + state_.installDir + "/orvoInfo4.0',\nPlease check and try again.\n");
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(InfoFileTest, UpgradeReplacesOnlyTheFirstTitleLine) {
  const std::string head = "#\n";
  const std::string rest =
      "#\n%%QIXBLOCK_GENERAL_BEGIN\nUSRDIR          /srv/orvo\n%%QIXBLOCK_GENERAL_END\n"
      "# see the Information File notes\n%%QIXBLOCK_PRINTERS_BEGIN\nlaser1\nlaser2\n"
      "%%QIXBLOCK_PRINTERS_END\n" +
      std::string(300, 'z') + "\n%%QIXEND\n";
  writeText(dir_ / "orvoInfo2.0", head + "# Orvo 2.0 Information File\n" + rest);
  upgradeInfoFile(state_);
  EXPECT_EQ(readFile(dir_ / "orvoInfo4.0"), head + "# Orvo 3.0 Information File\n" + rest);
  EXPECT_TRUE(fs::exists(dir_ / "orvoInfo2.0"));
  EXPECT_EQ(log(), "Copied orvoInfo2.0 to orvoInfo3.0 file.\n");
}

TEST_F(InfoFileTest, UpgradeWithoutOldFileWritesAFreshFile) {
  upgradeInfoFile(state_);
  EXPECT_EQ(readFile(dir_ / "orvoInfo4.0"), expectedInfoFile(dir_.string()));
  EXPECT_EQ(log(), "Cannot open file:\n\t'" + dir_.string() + "/orvoInfo2.0',\nPlease check and try again.\n");
}

TEST_F(InfoFileTest, UpgradeFallsBackWhenTheNewFileCannotBeMade) {
  writeText(dir_ / "orvoInfo2.0", "# Orvo 2.0 Information File\n");
  fs::create_directory(dir_ / "orvoInfo4.0");  // a directory cannot be opened for writing
  upgradeInfoFile(state_);
  const std::string cannot = "Cannot open file:\n\t'" + dir_.string() + "/orvoInfo4.0',\nPlease check and try again.\n";
  EXPECT_EQ(log(), cannot + cannot);
  EXPECT_TRUE(fs::is_directory(dir_ / "orvoInfo4.0"));
}

}  // namespace
