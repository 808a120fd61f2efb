#include "queues/ppd_locations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_support.h"

namespace {

// The probes of the machine's PPD trees use absolute paths and are shown in the sandbox scenarios;
// here only the directory test they are built on.
TEST(IsDirectoryTest, FollowsLinksAndRejectsEverythingElse) {
  ScratchDir root;
  writeFile(root / "file", "x");
  fs::create_directory_symlink(root.path(), root / "dirlink");
  fs::create_symlink(root / "file", root / "filelink");
  fs::create_symlink(root / "gone", root / "dangling");
  fs::create_directory(root / "locked");
  chmod((root / "locked").c_str(), 0);
  const std::pair<std::string, int> cases[] = {
      {root / "dirlink", 1},  {root.path() + "/", 1}, {root / "locked", 1},   {root / "file", 0},
      {root / "filelink", 0}, {root / "dangling", 0}, {root / "file/sub", 0}, {"", 0},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(isDirectory(path), expected) << path;
  chmod((root / "locked").c_str(), 0700);
}

}  // namespace
