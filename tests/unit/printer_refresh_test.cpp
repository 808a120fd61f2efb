#include "queues/printer_refresh.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

// The copies through the shell, their statuses and quoting are shown in the sandbox scenarios.
// Any size across the copy's block boundaries; a longer earlier destination is truncated. What
// cannot be read or written is reported; without a source no destination is made.
TEST(CopyFile, CopiesAnySizeOrReportsFailure) {
  ScratchDir dir;
  for (size_t size : {0UL, 40959UL, 40960UL, 40961UL, 100003UL}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xff);
    writeFile(dir / "from", bytes);
    writeFile(dir / "to", std::string(size + 5000, 'x'));
    EXPECT_TRUE(copyFile(dir / "from", dir / "to")) << size;
    EXPECT_EQ(readFile(dir / "to"), bytes) << size;
  }
  fs::create_directory(dir / "dir");
  const std::pair<const char*, const char*> failures[] = {
      {"missing", "out"}, {"dir", "out2"}, {"from", "none/to"}, {"from", "dir"}};
  for (const auto& [from, to] : failures) EXPECT_FALSE(copyFile(dir / from, dir / to)) << from << " -> " << to;
  EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST(BackupPathFor, CutsAfterTheFirstPpdDirectory) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      // queue PPD, queue, backup
      {"/etc/cups/ppd/office2.ppd", "office2", "/etc/cups/office2.ppd.rpmsave"},
      {"/a/ppd/b/ppd/q.ppd", "q", "/a/q.ppd.rpmsave"},
      {"/srv/ppdfiles/q.ppd", "q", "/srv/q.ppd.rpmsave"},                // "/ppd" need not be a whole directory name
      {"/etc/cups/PPD/q.ppd", "q", "/etc/cups/PPD/q.ppdq.ppd.rpmsave"},  // none: appended to the whole path
  };
  for (const auto& [ppdPath, queue, backup] : cases) EXPECT_EQ(backupPathFor(ppdPath, queue), backup) << ppdPath;
}

// A rewritten PPD is installed only when the library opens it and marks every carried default.
TEST(CheckNewPPD, RefusesUnreadablePpdOrUnmarkedCarriedDefault) {
  ScratchDir dir;
  std::string ppd = readFile(fixturePath("new_letter_default.ppd"));
  const std::tuple<std::string, const char*, int, const char*> cases[] = {
      // PPD text, carried PageSize, accepted, logged
      {ppd, "Letter", 1, ""},
      {ppd, "A4", 1, ""},  // not carried: the new PPD's own default stays
      {readFile(fixturePath("not_a_ppd.ppd")), "A4", 0, "the PPD library cannot open it ("},
      {ppd.substr(0, ppd.find("*DefaultPageSize")) + "*DefaultPageSize: B9\n" +
           ppd.substr(ppd.find('\n', ppd.find("*DefaultPageSize")) + 1),
       "B9", 0, "the carried default PageSize/B9 is not the marked choice of its option."}};
  for (const auto& [text, pageSize, accepted, logged] : cases) {
    SetupState state;
    LogCapture log(state);
    writeFile(dir / "new.ppd", text);
    OptList options;
    addOptList(&options, OptEntry{"PageSize", pageSize, 1});
    EXPECT_EQ(checkNewPPD(state, dir / "new.ppd", options, "q"), accepted) << pageSize;
    EXPECT_EQ(log.text().empty(), accepted == 1) << log.text();
    EXPECT_NE(log.text().find(logged), std::string::npos) << log.text();
  }
}

}  // namespace
