#include "base/regular_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "test_support.h"

// Only a regular file of a bound size is read; a link, a FIFO (without waiting for a writer), a directory
// or a larger file is refused, and a missing file is told apart. A file is written never through a link,
// never with a second name, neither of them truncated; a written file is truncated.
TEST(OpenRegularFile, ReadsAndWritesOnlyRegularFiles) {
  ScratchDir dir;
  writeFile(dir / "plain", "12345");
  ASSERT_EQ(symlink((dir / "plain").c_str(), (dir / "link").c_str()), 0);
  ASSERT_EQ(link((dir / "plain").c_str(), (dir / "second").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  const std::tuple<const char*, off_t, int> cases[] = {{"plain", 5, 1}, {"plain", 4, -1}, {"missing", 5, 0},
                                                       {"link", 5, -1}, {"fifo", 5, -1},  {".", 5, -1}};
  FileHandle file;
  for (const auto& [name, bound, result] : cases) {
    EXPECT_EQ(openRegularFile(dir / name, bound, file), result) << name << " " << bound;
    EXPECT_EQ(static_cast<bool>(file), result == 1) << name;
  }
  EXPECT_EQ(openRegularFileForWriting(dir / "link", 0600, file), -1);
  EXPECT_EQ(openRegularFileForWriting(dir / "second", 0600, file), -1);
  EXPECT_EQ(readFile(dir / "plain"), "12345");
  writeFile(dir / "old", "longer old text");
  ASSERT_EQ(openRegularFileForWriting(dir / "old", 0600, file), 1);
  file.close();
  EXPECT_EQ(readFile(dir / "old"), "");
}
