#include "uninstall/deinstallation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_support.h"

namespace {

// The queue list, the package files and their log lines are shown in the sandbox scenarios.
TEST(RemoveTree, NeverFollowsLinksAndLeavesWhatItCannotRemove) {
  ScratchDir root;
  writeFile(root / "elsewhere/keep", "x");
  writeFile(root / "t/a/b/.hidden", "x");
  fs::create_directory_symlink(root / "elsewhere", root / "t/linked");
  fs::create_symlink(root / "missing", root / "t/dangling");
  fs::create_directory_symlink(root / "elsewhere", root / "toplink");
  EXPECT_EQ(removeTree(root / "t"), 0);
  EXPECT_FALSE(fs::exists(root / "t"));
  EXPECT_EQ(removeTree(root / "toplink"), 0);  // the link goes, its target stays
  EXPECT_FALSE(fs::exists(fs::symlink_status(root / "toplink")));
  EXPECT_TRUE(fs::exists(root / "elsewhere/keep"));

  // Not a directory, or not there: -1 and nothing removed.
  EXPECT_EQ(removeTree(root / "elsewhere/keep"), -1);
  EXPECT_TRUE(fs::exists(root / "elsewhere/keep"));
  EXPECT_EQ(removeTree(root / "absent"), -1);

  // A pipe stays; the rest goes and the directory is reported as kept.
  writeFile(root / "p/file", "x");
  ASSERT_EQ(mkfifo((root / "p/pipe").c_str(), 0600), 0);
  EXPECT_EQ(removeTree(root / "p"), -1);
  EXPECT_TRUE(fs::exists(root / "p/pipe"));
  EXPECT_FALSE(fs::exists(root / "p/file"));
}

}  // namespace
