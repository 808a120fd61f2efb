#include "queues/printer_refresh.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "test_support.h"

// The copies through the shell, their statuses and quoting are shown in the sandbox scenarios.
// Any size across the copy's block boundaries; a longer earlier destination is truncated. What
// cannot be read or written is reported; without a source no destination is made.
TEST(CopyFile, CopiesAnySizeOrReportsFailure) {
  ScratchDir dir;
  for (size_t size : {0UL, 40960UL, 40961UL, 100003UL}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xff);
    writeFile(dir / "from", bytes);
    writeFile(dir / "to", std::string(size + 5000, 'x'));
    EXPECT_TRUE(copyFile(dir / "from", dir / "to") && readFile(dir / "to") == bytes) << size;
  }
  const std::pair<const char*, const char*> failures[] = {
      {"missing", "out"}, {".", "out2"}, {"from", "none/to"}, {"from", "."}};
  for (const auto& [from, to] : failures) EXPECT_FALSE(copyFile(dir / from, dir / to)) << from << " -> " << to;
  EXPECT_FALSE(fs::exists(dir / "out"));
}

// The usual /etc/cups/ppd is shown in the sandbox scenarios. The backup sits beside the first "/ppd" of
// the path (which need not be a whole directory name); without one, the name is appended to the whole path.
TEST(BackupPathFor, CutsAfterTheFirstPpdDirectory) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      // queue PPD, queue, backup
      {"/a/ppd/b/ppd/q.ppd", "q", "/a/q.ppd.rpmsave"},
      {"/srv/ppdfiles/q.ppd", "q", "/srv/q.ppd.rpmsave"},
      {"/etc/cups/PPD/q.ppd", "q", "/etc/cups/PPD/q.ppdq.ppd.rpmsave"}};
  for (const auto& [ppdPath, queue, backup] : cases) EXPECT_EQ(backupPathFor(ppdPath, queue), backup) << ppdPath;
}

// A rewritten PPD is installed only when its carried defaults are the marked choices; a default that was
// not carried leaves the new PPD's own. One the library cannot open is shown in the sandbox scenarios.
TEST(CheckNewPPD, RefusesUnmarkedCarriedDefault) {
  ScratchDir dir;
  SetupState state;
  LogCapture log(state);
  OptList options;
  addOptList(&options, OptEntry{"PageSize", "B9", 1});
  std::string ppd = readFile(fixturePath("new_letter_default.ppd"));
  writeFile(dir / "new.ppd", ppd);
  EXPECT_EQ(checkNewPPD(state, dir / "new.ppd", options, "q"), 1);
  writeFile(dir / "new.ppd", ppd.replace(ppd.find("Letter", ppd.find("*DefaultPageSize")), 6, "B9"));
  EXPECT_EQ(checkNewPPD(state, dir / "new.ppd", options, "q"), 0);
  EXPECT_TRUE(contains(log.text(), "the carried default PageSize/B9 is not the marked choice of its option.\n"))
      << log.text();
}
