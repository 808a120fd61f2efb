#include "uninstall/deinstallation.h"

#include <gtest/gtest.h>

#include "test_support.h"

// The queue list, the package files and their log lines are shown in the sandbox scenarios.
TEST(RemoveTree, NeverFollowsLinksAndLeavesWhatItCannotRemove) {
  ScratchDir root;
  writeFile(root / "elsewhere/keep", "x");
  writeFile(root / "t/a/b/.hidden", "x");
  fs::create_directory_symlink(root / "elsewhere", root / "t/linked");
  fs::create_directory_symlink(root / "elsewhere", root / "toplink");
  writeFile(root / "p/file", "x");
  ASSERT_EQ(mkfifo((root / "p/pipe").c_str(), 0600), 0);
  EXPECT_EQ(removeTree(root / "t"), 0);
  EXPECT_EQ(removeTree(root / "toplink"), 0);          // the link goes, its target stays
  EXPECT_EQ(removeTree(root / "elsewhere/keep"), -1);  // not a directory: nothing removed
  EXPECT_EQ(removeTree(root / "p"), -1);               // a pipe stays, the rest goes
  EXPECT_FALSE(fs::exists(root / "t") || fs::exists(root / "p/file") || fs::is_symlink(root / "toplink"));
  EXPECT_TRUE(fs::exists(root / "elsewhere/keep") && fs::exists(root / "p/pipe"));
}
