#include "uninstall/deinstallation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "driver/setup_state.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

// A scratch root holding installDir ("vyr") and a neighbour file that must survive every case.
class DeinstallationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(root_ / "neighbour", "x");
    state_.installDir = install_;
  }
  ScratchDir root_;
  std::string install_ = root_ / "vyr";
  SetupState state_;
  LogCapture log_{state_};
};

TEST_F(DeinstallationTest, RemoveTreeNeverFollowsLinksAndLeavesWhatItCannotRemove) {
  writeFile(install_ + "/t/a/b/file", "x");
  writeFile(install_ + "/t/.hidden", "x");
  fs::create_directories(install_ + "/t/empty");
  writeFile(root_ / "elsewhere/keep", "x");
  fs::create_directory_symlink(root_ / "elsewhere", install_ + "/t/linked");
  fs::create_symlink(root_ / "missing", install_ + "/t/dangling");
  fs::create_directory_symlink(root_ / "elsewhere", install_ + "/toplink");
  EXPECT_EQ(removeTree(install_ + "/t"), 0);
  EXPECT_FALSE(fs::exists(install_ + "/t"));
  EXPECT_EQ(removeTree(install_ + "/toplink"), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(install_ + "/toplink")));
  EXPECT_TRUE(fs::exists(root_ / "elsewhere/keep"));

  // Not a directory, or not there: -1 and nothing removed.
  writeFile(install_ + "/plain", "x");
  EXPECT_EQ(removeTree(install_ + "/plain"), -1);
  EXPECT_TRUE(fs::exists(install_ + "/plain"));
  EXPECT_EQ(removeTree(install_ + "/absent"), -1);

  // A pipe stays; the rest goes and the directory is reported as kept.
  writeFile(install_ + "/p/file", "x");
  ASSERT_EQ(mkfifo((install_ + "/p/pipe").c_str(), 0600), 0);
  EXPECT_EQ(removeTree(install_ + "/p"), -1);
  EXPECT_TRUE(fs::exists(install_ + "/p/pipe"));
  EXPECT_FALSE(fs::exists(install_ + "/p/file"));
}

TEST_F(DeinstallationTest, PrinterDirGoesWithItsStartScriptOnlyWhenTheDirExists) {
  writeFile(install_ + "/q1/root/orvoConfig", "x");
  writeFile(install_ + "/q1.sh", "x");
  writeFile(install_ + "/q2.sh", "x");
  EXPECT_EQ(deletePrinterDir(state_, "q1"), 0);
  EXPECT_FALSE(fs::exists(install_ + "/q1"));
  EXPECT_FALSE(fs::exists(install_ + "/q1.sh"));
  EXPECT_EQ(deletePrinterDir(state_, "q2"), -1);
  EXPECT_TRUE(fs::exists(install_ + "/q2.sh"));
}

// ".." and "." would name installDir's parent or installDir itself: skipped with a log line.
TEST_F(DeinstallationTest, QueueListSkipsDefaultAndNamesThatAreNoPathComponent) {
  state_.schedulerKind = kSchedulerLprng;  // queues stay with the spooler; only directories go
  for (const char* name : {"Default", "", "q1", "..", ".", "x/../..", "q2"}) {
    PrinterEntry entry;
    entry.queueName = name;
    state_.printers.entries.push_back(entry);
  }
  writeFile(install_ + "/q1/file", "x");
  writeFile(install_ + "/q2/file", "x");
  deletePrinterQueues(state_);
  EXPECT_FALSE(fs::exists(install_ + "/q1"));
  EXPECT_FALSE(fs::exists(install_ + "/q2"));
  EXPECT_TRUE(fs::exists(root_ / "neighbour"));
  EXPECT_TRUE(fs::exists(install_));
  const std::string text = log_.text();
  for (const char* line : {"Deleting the Orvo printer: q1.\n", "Skipping printer queue '..'",
                           "Skipping printer queue '.'", "Skipping printer queue 'x/../..'"})
    EXPECT_NE(text.find(line), std::string::npos) << line << " missing from:\n" << text;
  EXPECT_EQ(text.find("printer: Default"), std::string::npos) << text;
}

}  // namespace
