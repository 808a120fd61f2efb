#include "install/ppd_install_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "driver/setup_state.h"
#include "queues/ppd_locations.h"

namespace {

namespace fs = std::filesystem;

// A CUPS model directory in a temporary directory; only choices that stay inside it are made here,
// the ones below /usr/share or /opt are shown in the sandbox scenarios.
class PpdInstallDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "ppd_install_dir_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    model_ = root_ + "/model";
    fs::create_directory(model_);
    state_.cupsModelDir = model_;
    logPath_ = root_ + ".log";
    state_.logFile = std::fopen(logPath_.c_str(), "w");
    ASSERT_NE(state_.logFile, nullptr);
    state_.logIsOpen = 1;
  }
  void TearDown() override {
    std::fclose(state_.logFile);
    fs::remove_all(root_);
    fs::remove(logPath_);
  }
  std::string log() {
    std::ifstream in(logPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void link(const std::string& name, const std::string& target) { fs::create_symlink(target, model_ + "/" + name); }
  // A directory with a subdirectory, so its link count is above 2.
  void treeDir(const std::string& name) { fs::create_directories(model_ + "/" + name + "/sub"); }
  SetupState state_;
  std::string root_;
  std::string model_;
  std::string logPath_;
};

TEST_F(PpdInstallDirTest, ReadModelLinksRecordsAtMostEightCustomEntries) {
  state_.ppdDirFlags = kPpdCustomDir | kPpdUsrShare;
  for (int i = 0; i < 10; ++i) link("custom" + std::to_string(i), "/srv/ppd" + std::to_string(i));
  link("other", "/usr/share/ppd");
  int count = 0;
  EXPECT_EQ(readModelLinks(state_, count), 1);
  EXPECT_EQ(count, 8);
  ASSERT_EQ(state_.modelLinks.size(), 8u);
  const std::string text = log();
  for (int i = 0; i < 8; ++i) {
    const ModelLink& entry = state_.modelLinks[i];
    EXPECT_TRUE(entry.path.starts_with(model_ + "/custom")) << entry.path;
    EXPECT_NE(text.find("Link " + std::to_string(i + 1) + ": " + entry.path + " linked to " + entry.target + ".\n"),
              std::string::npos)
        << text;
  }
  EXPECT_EQ(text.find("Link 9"), std::string::npos);
}

TEST_F(PpdInstallDirTest, ReadModelLinksRecordsByTheFirstFlagSet) {
  struct Case {
    const char* what;
    int flags;
    std::function<void()> arrange;
    int result;
    int count;
    std::string firstTarget;
    bool noKnownLinks;
  } cases[] = {
      {"custom tree directory, empty one passed over", kPpdCustomDir,
       [this] {
         treeDir("custom");
         fs::create_directory(model_ + "/custom-empty");
       },
       1, 1, "", false},
      {"foomatic: first match ends the scan", kPpdFoomaticDir | kPpdUsrShare,
       [this] {
         link("a", "/x/foomatic/one");
         link("b", "/x/foomatic/two");
         link("c", "/usr/share/ppd");
       },
       1, 1, "/x/foomatic/", false},
      {"/usr/share/ppd target", kPpdUsrShare | kPpdOptShare,
       [this] {
         link("a", "/opt/share/ppd");
         link("b", "/usr/share/ppd/x");
       },
       1, 1, "/usr/share/ppd/x", false},
      {"/opt/share/ppd target", kPpdOptShare, [this] { link("a", "/opt/share/ppd/x"); }, 1, 1, "/opt/share/ppd/x",
       false},
      {"no deciding flag", kPpdCupsModelDir | kPpdSystemDir, [this] { link("custom", "/x"); }, 0, 0, "", true},
      {"only a regular foomatic file", kPpdFoomaticDir, [this] { std::ofstream(model_ + "/foomatic.ppd") << "x"; }, -1,
       0, "", false},
      {"empty model directory", kPpdUsrShare, [] {}, 0, 0, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(model_);
    fs::create_directory(model_);
    std::fclose(std::fopen(logPath_.c_str(), "w"));  // a fresh log for each case
    state_.ppdDirFlags = c.flags;
    c.arrange();
    int count = -5;
    EXPECT_EQ(readModelLinks(state_, count), c.result);
    EXPECT_EQ(count, c.count);
    if (c.count > 0) {
      EXPECT_TRUE(state_.modelLinks[0].target.starts_with(c.firstTarget));
    }
    const std::string text = log();
    EXPECT_EQ(text.find("No known links in cups model dir: " + model_ + "\n") != std::string::npos, c.noKnownLinks)
        << text;
  }
}

TEST_F(PpdInstallDirTest, ChooseLeavesEverythingWithoutAModelDir) {
  state_.cupsModelDir = root_ + "/none";
  state_.ppdInstallDir = "/first/choice";
  EXPECT_EQ(choosePPDInstallDir(state_, root_ + "/prev", 0), 0);
  EXPECT_EQ(state_.ppdInstallDir, "/first/choice");
  EXPECT_EQ(log(), "");
}

TEST_F(PpdInstallDirTest, ChooseTakesThePreviousDirectoryAsItIs) {
  const std::string previous = root_ + "/prev";
  state_.cupsVersion = 1200;
  state_.ppdDirFlags = kPpdUsrShare;
  EXPECT_EQ(choosePPDInstallDir(state_, previous, 0), 1);
  EXPECT_EQ(state_.ppdInstallDir, previous);
  EXPECT_FALSE(fs::exists(previous));
  EXPECT_EQ(log(),
            "PPD installation dir: " + previous + "\nUsing previous Orvo PPD directory: \"" + previous + "\".\n");
}

TEST_F(PpdInstallDirTest, ChooseFallsBackToTheModelDirAndMakesIt) {
  const std::string vyr = model_ + "/vyr";
  state_.cupsVersion = 2402;
  state_.ppdDirFlags = kPpdCupsModelDir;
  const mode_t oldMask = umask(077);
  EXPECT_EQ(choosePPDInstallDir(state_, "", 0), 0);
  umask(oldMask);
  EXPECT_EQ(state_.ppdInstallDir, vyr);
  EXPECT_EQ(fs::status(vyr).permissions(), fs::perms(0755));
  EXPECT_EQ(log(), "PPD installation dir: " + vyr + "\nCreated directory: '" + vyr +
                       "'.\nChanging execution rights of '" + vyr + "' to  00755.\nCreated directory: '" + vyr +
                       "'.\n");
}

TEST_F(PpdInstallDirTest, ChooseNeverReportsADirectoryItCouldNotMake) {
  std::ofstream(model_ + "/vyr") << "in the way";
  state_.cupsVersion = 1300;
  state_.ppdDirFlags = kPpdOptShare;
  state_.ppdInstallDir = "/usr/opt/share/ppd/vyr";  // both "/usr/opt" and "/opt/share": fallback
  EXPECT_EQ(choosePPDInstallDir(state_, "", 0), 0);
  EXPECT_EQ(state_.ppdInstallDir, model_ + "/vyr");
  EXPECT_EQ(log(), "PPD installation dir: " + model_ + "/vyr\n");
}

TEST_F(PpdInstallDirTest, OldCupsWithoutSharedTreeUsesTheModelDirUnmade) {
  state_.cupsVersion = 1299;
  state_.ppdDirFlags = kPpdCupsModelDir | kPpdFoomaticDir;
  EXPECT_EQ(choosePPDInstallDir(state_, "", 0), 1);
  EXPECT_EQ(state_.ppdInstallDir, model_ + "/vyr");
  EXPECT_FALSE(fs::exists(model_ + "/vyr"));
  EXPECT_EQ(log(), "PPD installation dir: " + model_ + "/vyr\n");
}

TEST_F(PpdInstallDirTest, OldCupsFollowsTheRecordedCustomLink) {
  fs::create_directories(root_ + "/srv/ppd");
  fs::create_directory(model_ + "/custom");
  struct Case {
    std::string target;
    std::string expected;
  } cases[] = {
      {root_ + "/srv/ppd/vyr", root_ + "/srv/ppd/vyr"},  // already the vyr directory
      {root_ + "/srv/ppd", root_ + "/srv/ppd/vyr"},
      {"../srv/ppd", model_ + "/custom/vyr"},  // relative: the link's own path is the base
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    state_.cupsVersion = 1200;
    state_.ppdDirFlags = kPpdCustomDir | kPpdUsrShare;
    state_.modelLinks = {{model_ + "/other", "/usr/share/ppd"}, {model_ + "/custom", c.target}};
    EXPECT_EQ(choosePPDInstallDir(state_, "", 2), 1);
    EXPECT_EQ(state_.ppdInstallDir, c.expected);
    EXPECT_TRUE(fs::is_directory(c.expected));
  }
  // The link count bounds the search: the custom entry is second.
  EXPECT_EQ(choosePPDInstallDir(state_, "", 1), 0);
  EXPECT_EQ(state_.ppdInstallDir, model_ + "/vyr");
}

}  // namespace
