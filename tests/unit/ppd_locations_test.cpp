#include "queues/ppd_locations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

// The probes of the machine's PPD trees use absolute paths and are shown in the sandbox scenarios;
// here only the directory test they are built on.
TEST(IsDirectoryTest, FollowsLinksAndRejectsEverythingElse) {
  ScratchDir root;
  fs::create_directory(root / "dir");
  writeFile(root / "file", "x");
  fs::create_directory_symlink(root / "dir", root / "dirlink");
  fs::create_symlink(root / "file", root / "filelink");
  fs::create_symlink(root / "gone", root / "dangling");
  fs::create_directory(root / "locked");
  chmod((root / "locked").c_str(), 0);
  const std::pair<std::string, int> cases[] = {
      {root / "dir", 1},      {root / "dirlink", 1},  {root / "dir/", 1},    {root / "locked", 1},   {root / "file", 0},
      {root / "filelink", 0}, {root / "dangling", 0}, {root / "missing", 0}, {root / "file/sub", 0}, {"", 0},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(isDirectory(path), expected) << path;
  chmod((root / "locked").c_str(), 0700);
}

}  // namespace
