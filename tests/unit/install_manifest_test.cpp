#include "install/install_manifest.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/setup_state.h"
#include "test_support.h"

namespace {

using namespace testsupport;

class ManifestTest : public ::testing::Test {
 protected:
  void SetUp() override { state_.sourceDir = dir_.path(); }
  void write(const std::string& relative, const std::string& text) { writeFile(dir_ / relative, text); }
  ScratchDir dir_;
  SetupState state_;
  LogCapture log_{state_};
};

TEST_F(ManifestTest, EachLineFollowsTheFormatRules) {
  struct Row {
    const char* line;
    bool accepted;
    const char* source;
    const char* destination;
    int mode;
  } rows[] = {
      {"qixgsfilter\t./bin 00755\n", true, "qixgsfilter", "./bin", 0755},
      {"qixgsfilter\t./bin 0755\n", true, "qixgsfilter", "./bin", 0},  // one leading 0 only: no mode
      {"qixgsfilter\t./bin 00\n", true, "qixgsfilter", "./bin", 0755},
      {"qixgsfilter\t./bin 000\n", true, "qixgsfilter", "./bin", 0755},
      {"orvo4.0.png ./etc\n", true, "orvo4.0.png", "./etc", 0},
      {"setup   \r\n", true, "setup", "", 0},
      {"nc ./bin 00644 and more words 00777\n", true, "nc", "./bin", 0644},
      {"nc ./bin x100644\n", true, "nc", "./bin", 0644},
      {"nc ./bin00644\n", true, "nc", "./bin00644", 0},
      {"nc \x01\xa0./bin\xff"
       "00700\n",
       true, "nc", "./bin", 0700},
      {"ppd/*.ppd.gz ?\n", true, "ppd/*.ppd.gz", "?", 0},
      {"nc ./bin 00755x9\n", true, "nc", "./bin", 0755},
      {"\x7f ./bin\n", true, "\x7f", "./bin", 0},
      {" qixgsfilter ./bin 00755\n", false, "", "", 0},
      {"\tqixgsfilter ./bin 00755\n", false, "", "", 0},
      {"# qixgsfilter ./bin 00755\n", false, "", "", 0},
      {"\n", false, "", "", 0},
      {"   \n", false, "", "", 0},
      {"\r\n", false, "", "", 0},
  };
  for (const Row& row : rows) {
    write("etc/ORVOINST.CONF", row.line);
    int count = getInfoData(state_);
    ASSERT_EQ(count, row.accepted ? 1 : 0) << row.line;
    ASSERT_EQ(state_.manifest.size(), static_cast<size_t>(count));
    if (!row.accepted) continue;
    const ManifestItem& item = state_.manifest.front();
    EXPECT_EQ(item.source, row.source) << row.line;
    EXPECT_EQ(item.destination, row.destination) << row.line;
    EXPECT_EQ(item.mode, row.mode) << row.line;
  }
}

// "@@NULL" anywhere in a line, a comment included, ends the list.
TEST_F(ManifestTest, EndMarkerAnywhereEndsTheList) {
  write("etc/ORVOINST.CONF", "a ./bin\n# list ends at @@NULL here\nb ./bin\n");
  EXPECT_EQ(getInfoData(state_), 1);
  write("etc/ORVOINST.CONF", "# header\n@@NULL\na ./bin\n");
  EXPECT_EQ(getInfoData(state_), 0);
  EXPECT_TRUE(state_.manifest.empty());
}

TEST_F(ManifestTest, EtcIsPreferredAndBothPlacesAreSearchedForAnyName) {
  auto firstSource = [&] { return getInfoData(state_) == 1 ? state_.manifest[0].source : "(none)"; };
  write("etc/ORVOINST.CONF", "from-etc .\n");
  write("ORVOINST.CONF", "from-top .\n");
  EXPECT_EQ(firstSource(), "from-etc");
  std::filesystem::remove(dir_ / "etc/ORVOINST.CONF");
  EXPECT_EQ(firstSource(), "from-top");
  state_.manifestName = "other.conf";
  write("other.conf", "other-top .\n");
  EXPECT_EQ(firstSource(), "other-top");
  write("etc/other.conf", "other-etc .\n");
  EXPECT_EQ(firstSource(), "other-etc");
  std::string expected;
  for (const char* found : {"/etc/ORVOINST.CONF", "/ORVOINST.CONF", "/other.conf", "/etc/other.conf"})
    expected += "ORVOINST.CONF = " + dir_.path() + found + ".\n";
  EXPECT_EQ(log_.text(), expected);
}

TEST_F(ManifestTest, MissingManifestIsLoggedWithTheSecondPath) {
  state_.manifest.push_back({"stale", ".", 0});
  EXPECT_EQ(getInfoData(state_), 0);
  EXPECT_TRUE(state_.manifest.empty());
  EXPECT_EQ(log_.text(), "Cannot open info file: '" + (dir_ / "ORVOINST.CONF") + "'.\n");
}

// Limits of the manifest: 256 items, 47-character sources; what passes them is logged, never cut.
TEST_F(ManifestTest, ItemLimitStopsReadingAndIsLogged) {
  std::string text;
  for (int i = 0; i < kManifestMaxItems; ++i) text += "f" + std::to_string(i) + " ./bin\n";
  write("etc/ORVOINST.CONF", text + "# a comment is no item\n");
  EXPECT_EQ(getInfoData(state_), kManifestMaxItems);
  EXPECT_EQ(log_.text().find("more than"), std::string::npos);

  write("etc/ORVOINST.CONF", text + "extra ./bin\nmore ./bin\n");
  EXPECT_EQ(getInfoData(state_), kManifestMaxItems);
  EXPECT_EQ(state_.manifest.back().source, "f255");
  EXPECT_NE(log_.text().find("Install manifest holds more than 256 items; the rest is not read.\n"), std::string::npos);
}

TEST_F(ManifestTest, SourceLongerThan47CharactersIsRejectedAndLogged) {
  const std::string fits(47, 's'), tooLong(48, 'l');
  write("etc/ORVOINST.CONF", fits + " ./bin\n" + tooLong + " ./bin 00755\nnext ./bin\n");
  ASSERT_EQ(getInfoData(state_), 2);
  EXPECT_EQ(state_.manifest[0].source, fits);
  EXPECT_EQ(state_.manifest[1].source, "next");
  EXPECT_NE(log_.text().find("Install manifest source longer than 47 characters rejected: " + tooLong + "\n"),
            std::string::npos);
}

TEST_F(ManifestTest, DebugLineForItemsWithAMode) {
  write("etc/ORVOINST.CONF", "qixgsfilter ./bin 00755\nicon ./etc\n");
  state_.debugLevel = 1;
  testing::internal::CaptureStderr();
  getInfoData(state_);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "getInfoData: qixgsfilter ===> ./bin, o755.\n");
}

}  // namespace
