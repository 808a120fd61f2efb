#include "install/directory_helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/setup_state.h"

namespace {

namespace fs = std::filesystem;

class DirectoryHelpersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "directory_helpers_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    logPath_ = root_ + ".log";
    state_.logFile = std::fopen(logPath_.c_str(), "w");
    ASSERT_NE(state_.logFile, nullptr);
    state_.logIsOpen = 1;
    oldMask_ = umask(077);  // the modes asked for must survive any umask
  }
  void TearDown() override {
    fs::current_path(startDir_);
    umask(oldMask_);
    std::fclose(state_.logFile);
    fs::remove_all(root_);
    fs::remove(logPath_);
  }
  std::string log() {
    std::ifstream in(logPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static unsigned modeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
  }
  SetupState state_;
  std::string root_;
  std::string logPath_;
  mode_t oldMask_ = 0;
  fs::path startDir_ = fs::current_path();
};

TEST_F(DirectoryHelpersTest, MakeDirResultsByWhatStandsAtThePath) {
  std::ofstream(root_ + "/file") << "x";
  fs::create_directory(root_ + "/dir");
  fs::create_directory_symlink(root_ + "/dir", root_ + "/dirlink");
  struct Case {
    std::string path;
    int create;
    int expected;
  } cases[] = {
      {"", 1, -1},                    // no path
      {root_ + "/dir", 1, 0},         // directory already there
      {root_ + "/dirlink", 0, 0},     // a link to a directory counts as one
      {root_ + "/file", 1, -1},       // something else stands there
      {root_ + "/missing", 0, -1},    // missing, create off
      {root_ + "/no/parent", 1, -1},  // mkdir fails
  };
  for (const Case& c : cases) EXPECT_EQ(makeDir(state_, c.path, c.create, 0755), c.expected) << c.path;
  EXPECT_FALSE(fs::exists(root_ + "/missing"));
  EXPECT_TRUE(fs::is_regular_file(root_ + "/file"));
  EXPECT_EQ(log(), "");
}

TEST_F(DirectoryHelpersTest, MakeDirSetsTheFullModeAndLogsBothSteps) {
  const std::string path = root_ + "/new";
  EXPECT_EQ(makeDir(state_, path, 1, 0751), 1);
  EXPECT_EQ(modeOf(path), 0751u);
  EXPECT_EQ(log(), "Created directory: '" + path + "'.\nChanging execution rights of '" + path + "' to  00751.\n");
}

TEST_F(DirectoryHelpersTest, MakePathMakesOnlyTheMissingAncestors) {
  fs::create_directory(root_ + "/a");
  const std::string path = root_ + "/a/b/c";
  EXPECT_EQ(makePath(state_, path), 1);
  EXPECT_EQ(modeOf(root_ + "/a/b"), 0777u);
  EXPECT_EQ(modeOf(path), 0777u);
  const std::string text = log();
  EXPECT_EQ(text.find("'" + root_ + "/a'"), std::string::npos) << text;
  EXPECT_LT(text.find("Created directory: '" + root_ + "/a/b'."), text.find("Created directory: '" + path + "'."));
  EXPECT_EQ(makePath(state_, path), 0);  // all there now
}

TEST_F(DirectoryHelpersTest, MakePathDoesNotSplitAtALeadingSlashOfARelativePath) {
  ASSERT_EQ(chdir(root_.c_str()), 0);
  // "x/y": the "/" is the second character, so "x" is never made and "x/y" cannot be.
  EXPECT_EQ(makePath(state_, "x/y"), -1);
  EXPECT_FALSE(fs::exists(root_ + "/x"));
  // "xy/z" splits after "xy".
  EXPECT_EQ(makePath(state_, "xy/z"), 1);
  EXPECT_TRUE(fs::is_directory(root_ + "/xy/z"));
}

TEST_F(DirectoryHelpersTest, LinkIfAbsentLinksOnlyOverNothing) {
  const std::string target = root_ + "/target";
  fs::create_directory(target);
  std::ofstream(root_ + "/taken") << "x";
  fs::create_symlink(root_ + "/gone", root_ + "/dangling");

  EXPECT_EQ(linkIfAbsent(state_, root_ + "/gone", root_ + "/l1"), -1);
  EXPECT_FALSE(fs::is_symlink(root_ + "/l1"));
  EXPECT_EQ(linkIfAbsent(state_, target, root_ + "/l2"), 0);
  EXPECT_EQ(fs::read_symlink(root_ + "/l2"), target);
  EXPECT_EQ(linkIfAbsent(state_, target, root_ + "/taken"), -1);
  EXPECT_TRUE(fs::is_regular_file(root_ + "/taken"));
  // A dangling link counts as absent, but the new link cannot be made over it.
  EXPECT_EQ(linkIfAbsent(state_, target, root_ + "/dangling"), -1);
  EXPECT_EQ(fs::read_symlink(root_ + "/dangling"), root_ + "/gone");

  EXPECT_EQ(log(), "No file: " + root_ + "/gone\nFile: " + root_ + "/taken exists already. Not created as link!\n");
}

}  // namespace
