#include "uninstall/deinstallation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/setup_state.h"

namespace {

namespace fs = std::filesystem;

// A scratch root holding installDir ("vyr") and a neighbour file that must survive every case.
class DeinstallationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "deinstallXXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    install_ = root_ / "vyr";
    fs::create_directories(install_);
    touch(root_ / "neighbour");
    state_.installDir = install_.string();
    state_.logFile = std::fopen((root_ / "log").c_str(), "w");
    ASSERT_NE(state_.logFile, nullptr);
  }
  void TearDown() override {
    std::fclose(state_.logFile);
    fs::remove_all(root_);
  }
  static void touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
  }
  std::string log() {
    std::ifstream in(root_ / "log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  fs::path root_, install_;
  SetupState state_;
};

TEST_F(DeinstallationTest, RemovesNestedTreeWithHiddenEntries) {
  touch(install_ / "t/a/b/file");
  touch(install_ / "t/.hidden");
  fs::create_directories(install_ / "t/empty");
  EXPECT_EQ(removeTree((install_ / "t").string()), 0);
  EXPECT_FALSE(fs::exists(install_ / "t"));
}

TEST_F(DeinstallationTest, DeletesLinksAsLinksNeverTheirTargets) {
  touch(root_ / "elsewhere/keep");
  fs::create_directories(install_ / "ppd");
  fs::create_directory_symlink(root_ / "elsewhere", install_ / "ppd/linked");
  fs::create_symlink(root_ / "missing", install_ / "ppd/dangling");
  fs::create_directory_symlink(root_ / "elsewhere", install_ / "toplink");
  EXPECT_EQ(removeTree((install_ / "ppd").string()), 0);
  EXPECT_EQ(removeTree((install_ / "toplink").string()), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(install_ / "toplink")));
  EXPECT_TRUE(fs::exists(root_ / "elsewhere/keep"));
}

TEST_F(DeinstallationTest, FailsWithoutRemovingWhatIsNotADirectory) {
  touch(install_ / "plain");
  EXPECT_EQ(removeTree((install_ / "plain").string()), -1);
  EXPECT_TRUE(fs::exists(install_ / "plain"));
  EXPECT_EQ(removeTree((install_ / "absent").string()), -1);
}

TEST_F(DeinstallationTest, LeavesPipeInPlaceAndReportsTheDirectoryKept) {
  touch(install_ / "t/file");
  ASSERT_EQ(mkfifo((install_ / "t/pipe").c_str(), 0600), 0);
  EXPECT_EQ(removeTree((install_ / "t").string()), -1);
  EXPECT_TRUE(fs::exists(install_ / "t/pipe"));
  EXPECT_FALSE(fs::exists(install_ / "t/file"));
}

TEST_F(DeinstallationTest, PrinterDirGoesWithItsStartScriptOnlyWhenTheDirExists) {
  touch(install_ / "q1/root/orvoConfig");
  touch(install_ / "q1.sh");
  touch(install_ / "q2.sh");
  EXPECT_EQ(deletePrinterDir(state_, "q1"), 0);
  EXPECT_FALSE(fs::exists(install_ / "q1"));
  EXPECT_FALSE(fs::exists(install_ / "q1.sh"));
  EXPECT_EQ(deletePrinterDir(state_, "q2"), -1);
  EXPECT_TRUE(fs::exists(install_ / "q2.sh"));
}

TEST_F(DeinstallationTest, QueueListSkipsDefaultAndUnusableNames) {
  state_.schedulerKind = kSchedulerLprng;  // queues stay with the spooler; only directories go
  for (const char* name : {"Default", "", "q1", "..", ".", "x/../..", "q2"}) {
    PrinterEntry entry;
    entry.queueName = name;
    state_.printers.entries.push_back(entry);
  }
  touch(install_ / "q1/file");
  touch(install_ / "q2/file");
  deletePrinterQueues(state_);
  EXPECT_FALSE(fs::exists(install_ / "q1"));
  EXPECT_FALSE(fs::exists(install_ / "q2"));
  EXPECT_TRUE(fs::exists(root_ / "neighbour"));
  EXPECT_TRUE(fs::exists(install_));
  std::string text = log();
  for (const char* line :
       {"Deleting the Orvo printer: q1.\n", "Skipping printer queue '..'", "Skipping printer queue '.'",
        "Skipping printer queue 'x/../..'", "Deleting the Orvo printer: q2.\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << " missing from:\n" << text;
  EXPECT_EQ(text.find("printer: Default"), std::string::npos) << text;
}

TEST_F(DeinstallationTest, MissingInstallDirRemovesNothing) {
  state_.installDir = (root_ / "absent").string();
  EXPECT_EQ(deletePackageFiles(state_), 0);
  EXPECT_NE(log().find("'" + state_.installDir + "'\ndoes not exist or is not OK."), std::string::npos);
  EXPECT_EQ(log().find("Deleting file"), std::string::npos);
}

}  // namespace
