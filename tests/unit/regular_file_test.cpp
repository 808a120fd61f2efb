#include "base/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace {

// Only a regular file of a bound size is read; a link, a FIFO (without waiting for a writer), a
// directory or a larger file is refused, and a missing file is told apart.
TEST(OpenRegularFile, ReadsOnlyRegularFilesOfBoundedSize) {
  ScratchDir dir;
  writeFile(dir / "plain", "12345");
  ASSERT_EQ(symlink((dir / "plain").c_str(), (dir / "link").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_directory(dir / "dir");
  const std::tuple<const char*, off_t, int> cases[] = {{"plain", 5, 1}, {"plain", 4, -1}, {"missing", 5, 0},
                                                       {"link", 5, -1}, {"fifo", 5, -1},  {"dir", 5, -1}};
  for (const auto& [name, bound, result] : cases) {
    FileHandle file;
    EXPECT_EQ(openRegularFile(dir / name, bound, file), result) << name << " " << bound;
    EXPECT_EQ(static_cast<bool>(file), result == 1) << name;
  }
}

// Written files: never through a link, never a file with a second name; neither is truncated.
TEST(OpenRegularFileForWriting, NeverTruncatesThroughALinkOrASecondName) {
  ScratchDir dir;
  writeFile(dir / "target", "precious");
  ASSERT_EQ(symlink((dir / "target").c_str(), (dir / "link").c_str()), 0);
  ASSERT_EQ(link((dir / "target").c_str(), (dir / "second").c_str()), 0);
  FileHandle file;
  EXPECT_EQ(openRegularFileForWriting(dir / "link", 0600, file), -1);
  EXPECT_EQ(openRegularFileForWriting(dir / "second", 0600, file), -1);
  EXPECT_EQ(readFile(dir / "target"), "precious");
  writeFile(dir / "old", "longer old text");
  ASSERT_EQ(openRegularFileForWriting(dir / "old", 0600, file), 1);
  std::fputs("new", file.get());
  file.close();
  EXPECT_EQ(readFile(dir / "old"), "new");
}

}  // namespace
