#include "install/install_engine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/setup_state.h"

namespace {

namespace fs = std::filesystem;

TEST(InstallEngineText, BaseNameAndBlankControls) {
  struct Case {
    const char* source;
    const char* base;
  } names[] = {{"qixgsfilter", "qixgsfilter"}, {"ppd/a.ppd.gz", "a.ppd.gz"}, {"a/b/", ""}, {"/x", "x"}};
  for (const Case& c : names) EXPECT_EQ(baseName(ManifestItem{c.source, ".", 0}), c.base) << c.source;

  std::string text = "Copying file a to b.\n\t\r\x1f\x7f\xe9 end";
  blankControls(text);
  EXPECT_EQ(text, "Copying file a to b.    \x7f\xe9 end");
}

// A package directory and an installation directory in a fresh temporary tree; no chcon, so nothing
// outside the tree is relabelled. goInstall changes the working directory, so it is restored.
class InstallEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "install_engine_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    ASSERT_NE(getcwd(savedCwd_, sizeof savedCwd_), nullptr);
    state_.commands.chcon = std::nullopt;
    state_.userId = static_cast<int>(getuid());
    state_.groupId = static_cast<int>(getgid());
    state_.sourceDir = root_ + "/pkg";
    state_.installDir = root_ + "/vyr";
    state_.ppdInstallDir = root_ + "/vyr/ppd";
    state_.cupsModelDir = root_ + "/model";
    logPath_ = root_ + "/run.log";
    state_.logFile = std::fopen(logPath_.c_str(), "w");
    ASSERT_NE(state_.logFile, nullptr);
  }
  void TearDown() override {
    if (state_.logFile) std::fclose(state_.logFile);
    ASSERT_EQ(chdir(savedCwd_), 0);
    fs::remove_all(root_);
  }
  void writeSource(const std::string& name, mode_t mode) {
    fs::path path = fs::path(state_.sourceDir) / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << name;
    chmod(path.c_str(), mode);
  }
  std::string log() {
    std::ifstream in(logPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static unsigned modeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0xffffffffu;
  }

  SetupState state_;
  std::string root_, logPath_;
  char savedCwd_[PATH_MAX];
};

TEST_F(InstallEngineTest, MakeBaseDirsRunsOncePerProcess) {
  EXPECT_EQ(makeBaseDirs(state_, ""), 0);
  std::ofstream(root_ + "/plain") << "x";
  EXPECT_EQ(makeBaseDirs(state_, root_ + "/plain"), 0);
  EXPECT_NE(log().find("No VYR directory: '" + root_ + "/plain' possible"), std::string::npos);

  EXPECT_EQ(makeBaseDirs(state_, state_.installDir), 1);
  EXPECT_EQ(modeOf(state_.installDir), 0777u);
  EXPECT_EQ(modeOf(state_.installDir + "/bin"), 0755u);
  EXPECT_EQ(modeOf(state_.installDir + "/etc"), 0755u);
  EXPECT_EQ(makeBaseDirs(state_, root_ + "/other"), 1);
  EXPECT_FALSE(fs::exists(root_ + "/other"));
}

TEST_F(InstallEngineTest, BackupOfMissingPpdDirRunsNothing) {
  EXPECT_EQ(backupPPDs(state_, root_ + "/none"), -1);
  EXPECT_EQ(log(), "Cannot access PPD dir: \"" + root_ + "/none\"\n");
}

TEST_F(InstallEngineTest, CopiesEachDestinationForm) {
  for (const char* name : {"setup", "nc", "ab", "libq.so", "ppd/a.ppd", "ppd/b.ppd", "README"}) writeSource(name, 0600);
  state_.manifest = {
      {"setup", "./bin", 0755},   {"nc", "./bin", 0},    {"ab", "./bin", 0},    {"libq.so", "./lib", 0644},
      {"missing", "./lib", 0644}, {"ppd/*.ppd", "?", 0}, {"README", ".", 0644}, {"stray", "elsewhere", 0},
  };
  goInstall(state_, static_cast<int>(state_.manifest.size()));
  const std::string vyr = state_.installDir;
  std::string text = log();

  EXPECT_EQ(modeOf(vyr + "/bin/setup"), 0755u);
  EXPECT_EQ(modeOf(vyr + "/bin/nc"), 0600u);  // mode 0: left as the copy made it
  EXPECT_FALSE(fs::exists(vyr + "/bin/ab"));
  EXPECT_EQ(text.find("Copying file ab "), std::string::npos);
  EXPECT_EQ(modeOf(vyr + "/lib"), 0777u);
  EXPECT_EQ(modeOf(vyr + "/lib/libq.so"), 0644u);
  EXPECT_NE(text.find("Changing execution rights of '" + vyr + "/lib/libq.so' to  00644.\n"), std::string::npos);
  EXPECT_NE(text.find("Copying file missing to " + vyr + "/lib. : WRONG!!!\n"), std::string::npos);
  EXPECT_EQ(text.find(vyr + "/lib/missing'"), std::string::npos);
  EXPECT_TRUE(fs::exists(vyr + "/ppd/a.ppd") && fs::exists(vyr + "/ppd/b.ppd"));
  EXPECT_TRUE(fs::is_regular_file(vyr + "/README"));
  EXPECT_EQ(modeOf(vyr + "/README"), 0644u);
  EXPECT_NE(text.find("Install manifest item stray rejected"), std::string::npos);
  EXPECT_TRUE(fs::exists(vyr + "/orvoInfo4.0"));
  EXPECT_TRUE(fs::exists(vyr + "/etc/UNINSTALLORVO"));
}

}  // namespace
