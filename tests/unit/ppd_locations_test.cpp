#include "queues/ppd_locations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// The probes of the machine's PPD trees use absolute paths and are shown in the sandbox scenarios;
// here only the directory test they are built on.
TEST(IsDirectoryTest, FollowsLinksAndRejectsEverythingElse) {
  std::string pattern = testing::TempDir() + "ppd_locations_XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const std::string root = pattern;
  fs::create_directory(root + "/dir");
  std::ofstream(root + "/file") << "x";
  fs::create_directory_symlink(root + "/dir", root + "/dirlink");
  fs::create_symlink(root + "/file", root + "/filelink");
  fs::create_symlink(root + "/gone", root + "/dangling");
  fs::create_directory(root + "/locked");
  chmod((root + "/locked").c_str(), 0);

  struct Case {
    std::string path;
    int expected;
  } cases[] = {
      {root + "/dir", 1},      {root + "/dirlink", 1},
      {root + "/dir/", 1},     {root + "/locked", 1},
      {root + "/file", 0},     {root + "/filelink", 0},
      {root + "/dangling", 0}, {root + "/missing", 0},
      {root + "/file/sub", 0}, {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(isDirectory(c.path), c.expected) << c.path;
  fs::remove_all(root);
}

}  // namespace
