#include "base/trusted_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

// Root's files under root's directories are trusted, through root's links and sticky directories; a
// file, directory or link of another user, or one others may write, is not, and the reason names it.
TEST(DistrustOf, TrustsOnlyWhatNoOtherUserCanChange) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give files to another user";
  ScratchDir dir;
  const uid_t other = 65534;
  for (const char* sub : {"root", "sticky", "open", "hers"}) ASSERT_EQ(mkdir((dir / sub).c_str(), 0755), 0);
  chmod((dir / "sticky").c_str(), 01777);
  chmod((dir / "open").c_str(), 0777);
  ASSERT_EQ(chown((dir / "hers").c_str(), other, other), 0);
  for (const char* file : {"root/ok", "root/group", "root/hers", "sticky/ok", "open/ok", "hers/ok"})
    writeFile(dir / file, "x");
  chmod((dir / "root/group").c_str(), 0664);
  ASSERT_EQ(chown((dir / "root/hers").c_str(), other, other), 0);
  ASSERT_EQ(symlink((dir / "root/ok").c_str(), (dir / "root/link").c_str()), 0);
  ASSERT_EQ(symlink((dir / "root/ok").c_str(), (dir / "sticky/herlink").c_str()), 0);
  ASSERT_EQ(lchown((dir / "sticky/herlink").c_str(), other, other), 0);
  const std::pair<const char*, const char*> cases[] = {
      {"root/ok", ""},
      {"root/link", ""},
      {"sticky/ok", ""},
      {"root/../sticky/ok", ""},
      {"root/group", "root/group' can be changed by other users"},
      {"root/hers", "root/hers' is owned by user 65534, not root"},
      {"open/ok", "open' can be changed by other users"},
      {"hers/ok", "hers' is owned by user 65534, not root"},
      {"sticky/herlink", "sticky/herlink' is a link owned by user 65534, not root"},
      {"root/ok/x", "root/ok' is not a directory"},
  };
  for (const auto& [path, why] : cases) {
    std::string found = distrustOf(dir / path);
    EXPECT_EQ(found.empty(), *why == '\0') << path << ": " << found;
    EXPECT_NE(found.find(why), std::string::npos) << path << ": " << found;
  }
}
