#include "install/directory_helpers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "driver/setup_state.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

class DirectoryHelpersTest : public ::testing::Test {
 protected:
  ScratchDir root_;
  SetupState state_;
  LogCapture log_{state_};
  UmaskScope mask_{077};  // the modes asked for must survive any umask
};

TEST_F(DirectoryHelpersTest, MakeDirResultsByWhatStandsAtThePath) {
  writeFile(root_ / "file", "x");
  fs::create_directory(root_ / "dir");
  fs::create_directory_symlink(root_ / "dir", root_ / "dirlink");
  struct Case {
    std::string path;
    int create;
    int expected;
  } cases[] = {
      {"", 1, -1},                   // no path
      {root_ / "dir", 1, 0},         // directory already there
      {root_ / "dirlink", 0, 0},     // a link to a directory counts as one
      {root_ / "file", 1, -1},       // something else stands there, and stays
      {root_ / "missing", 0, -1},    // missing, create off: nothing made, nothing logged
      {root_ / "no/parent", 1, -1},  // mkdir fails
      {root_ / "new", 1, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(makeDir(state_, c.path, c.create, 0751), c.expected) << c.path;
  EXPECT_FALSE(fs::exists(root_ / "missing"));
  EXPECT_TRUE(fs::is_regular_file(root_ / "file"));
  EXPECT_EQ(modeOf(root_ / "new"), 0751);
  EXPECT_EQ(log_.text(), "Created directory: '" + (root_ / "new") + "'.\nChanging execution rights of '" +
                             (root_ / "new") + "' to  00751.\n");
}

TEST_F(DirectoryHelpersTest, MakePathMakesOnlyTheMissingAncestors) {
  fs::create_directory(root_ / "a");
  const std::string path = root_ / "a/b/c";
  EXPECT_EQ(makePath(state_, path), 1);
  EXPECT_EQ(modeOf(root_ / "a/b"), 0777);
  EXPECT_EQ(modeOf(path), 0777);
  const std::string text = log_.text();
  EXPECT_EQ(text.find("'" + (root_ / "a") + "'"), std::string::npos) << text;
  EXPECT_LT(text.find("Created directory: '" + (root_ / "a/b") + "'."),
            text.find("Created directory: '" + path + "'."));
  EXPECT_EQ(makePath(state_, path), 0);  // all there now
}

// "x/y": the "/" is the second character, taken for a leading one, so "x" is never made and "x/y" cannot be.
TEST_F(DirectoryHelpersTest, MakePathDoesNotSplitAtTheSecondCharacterOfARelativePath) {
  WorkingDirScope cwd;
  ASSERT_EQ(chdir(root_.path().c_str()), 0);
  EXPECT_EQ(makePath(state_, "x/y"), -1);
  EXPECT_FALSE(fs::exists(root_ / "x"));
  EXPECT_EQ(makePath(state_, "xy/z"), 1);
  EXPECT_TRUE(fs::is_directory(root_ / "xy/z"));
}

TEST_F(DirectoryHelpersTest, LinkIfAbsentLinksOnlyOverNothing) {
  const std::string target = root_ / "target";
  fs::create_directory(target);
  writeFile(root_ / "taken", "x");
  fs::create_symlink(root_ / "gone", root_ / "dangling");

  EXPECT_EQ(linkIfAbsent(state_, root_ / "gone", root_ / "l1"), -1);
  EXPECT_FALSE(fs::is_symlink(root_ / "l1"));
  EXPECT_EQ(linkIfAbsent(state_, target, root_ / "l2"), 0);
  EXPECT_EQ(fs::read_symlink(root_ / "l2"), target);
  EXPECT_EQ(linkIfAbsent(state_, target, root_ / "taken"), -1);
  EXPECT_TRUE(fs::is_regular_file(root_ / "taken"));
  // A dangling link counts as absent, but the new link cannot be made over it.
  EXPECT_EQ(linkIfAbsent(state_, target, root_ / "dangling"), -1);
  EXPECT_EQ(fs::read_symlink(root_ / "dangling"), root_ / "gone");
  EXPECT_EQ(log_.text(), "No file: " + (root_ / "gone") + "\nFile: " + (root_ / "taken") +
                             " exists already. Not created as link!\n");
}

}  // namespace
