#include "queues/printer_refresh.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "driver/setup_state.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

class PrinterRefreshTest : public ::testing::Test {
 protected:
  void SetUp() override { state_.commands.cp = "cp"; }
  ScratchDir dir_;
  std::string root_ = dir_.path();
  SetupState state_;
  LogCapture log_{state_};
  std::string log() const { return log_.text(); }
};

TEST_F(PrinterRefreshTest, CopyFileCopiesAnySizeAcrossBlockBoundaries) {
  for (size_t size : {0UL, 1UL, 40959UL, 40960UL, 40961UL, 81920UL, 100003UL}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xff);
    std::string from = root_ + "/from";
    std::string to = root_ + "/to";
    writeFile(from, bytes);
    // A longer earlier destination is truncated, not overwritten in place.
    writeFile(to, std::string(size + 5000, 'x'));
    EXPECT_TRUE(copyFile(from, to)) << size;
    EXPECT_EQ(readFile(to), bytes) << size;
  }
}

TEST_F(PrinterRefreshTest, CopyFileReportsWhatCouldNotBeCopied) {
  writeFile(root_ + "/plain", "data");
  fs::create_directory(root_ + "/dir");
  struct Case {
    std::string from;
    std::string to;
  };
  const Case cases[] = {
      {root_ + "/missing", root_ + "/out1"},     // no source
      {root_ + "/dir", root_ + "/out2"},         // a source that cannot be read
      {root_ + "/plain", root_ + "/none/out3"},  // no directory for the destination
      {root_ + "/plain", root_ + "/dir"},        // the destination is a directory
  };
  for (const Case& c : cases) EXPECT_FALSE(copyFile(c.from, c.to)) << c.from << " -> " << c.to;
  EXPECT_FALSE(fs::exists(root_ + "/out1"));
  EXPECT_EQ(readFile(root_ + "/plain"), "data");
}

TEST(BackupPathFor, CutsAfterTheFirstPpdDirectory) {
  struct Case {
    const char* ppdPath;
    const char* queue;
    const char* backup;
  };
  const Case cases[] = {
      {"/etc/cups/ppd/office2.ppd", "office2", "/etc/cups/office2.ppd.rpmsave"},
      {"/usr/local/etc/cups/ppd/lab.ppd", "lab", "/usr/local/etc/cups/lab.ppd.rpmsave"},
      {"/a/ppd/b/ppd/q.ppd", "q", "/a/q.ppd.rpmsave"},
      // "/ppd" need not be a whole directory name.
      {"/srv/ppdfiles/q.ppd", "q", "/srv/q.ppd.rpmsave"},
      {"/ppd/q.ppd", "q", "/q.ppd.rpmsave"},
      // Without "/ppd" the backup name is appended to the whole path.
      {"/etc/cups/queues/q.conf", "q", "/etc/cups/queues/q.confq.ppd.rpmsave"},
      {"/etc/cups/PPD/q.ppd", "q", "/etc/cups/PPD/q.ppdq.ppd.rpmsave"},
      {"/etc/cups/ppd/a;touch x.ppd", "a;touch x", "/etc/cups/a;touch x.ppd.rpmsave"},
  };
  for (const Case& c : cases) EXPECT_EQ(backupPathFor(c.ppdPath, c.queue), c.backup) << c.ppdPath;
}

// The copies run through the shell with the paths quoted, and report the command's status.
TEST_F(PrinterRefreshTest, SaveAndInstallCopyThroughTheShell) {
  const std::string queue = "it's a;b $(x)";
  fs::create_directory(root_ + "/ppd");
  const std::string ppdPath = root_ + "/ppd/" + queue + ".ppd";
  writeFile(ppdPath, "old");

  EXPECT_EQ(savePPD(state_, ppdPath, queue), 1);
  const std::string backup = root_ + "/" + queue + ".ppd.rpmsave";
  EXPECT_EQ(readFile(backup), "old");
  EXPECT_NE(log().find("saving " + ppdPath + " to " + backup + ": result=0\n"), std::string::npos) << log();

  writeFile(root_ + "/new", "new");
  EXPECT_EQ(installNewPPD(state_, ppdPath, root_ + "/new"), 1);
  EXPECT_EQ(readFile(ppdPath), "new");
  EXPECT_NE(log().find("Copying " + root_ + "/new to " + ppdPath + ": result=0\n"), std::string::npos);

  // No rewritten PPD, or no queue PPD to save: the copy fails with cp's status, nothing changes.
  EXPECT_EQ(installNewPPD(state_, ppdPath, ""), 0);
  EXPECT_EQ(installNewPPD(state_, ppdPath, root_ + "/gone"), 0);
  EXPECT_EQ(readFile(ppdPath), "new");
  EXPECT_NE(log().find("Copying " + root_ + "/gone to " + ppdPath + ": result=256\n"), std::string::npos);
  EXPECT_EQ(savePPD(state_, root_ + "/ppd/absent.ppd", "absent"), 0);
  EXPECT_NE(log().find("absent.ppd.rpmsave: result=256\n"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 3);  // ppd, backup, new
}

}  // namespace
