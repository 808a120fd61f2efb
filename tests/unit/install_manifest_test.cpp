#include "install/install_manifest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/setup_state.h"

namespace {

namespace fs = std::filesystem;

class ManifestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) / ("install_manifest_test" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "etc");
    state_.sourceDir = dir_.string();
    logPath_ = dir_.string() + ".log";
    state_.logFile = std::fopen(logPath_.c_str(), "w");
    state_.logIsOpen = 1;
  }
  void TearDown() override {
    std::fclose(state_.logFile);
    fs::remove(logPath_);
    fs::remove_all(dir_);
  }
  void write(const fs::path& relative, const std::string& text) {
    std::ofstream(dir_ / relative, std::ios::binary) << text;
  }
  std::string log() {
    std::ifstream in(logPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  fs::path dir_;
  std::string logPath_;
  SetupState state_;
};

struct LineRow {
  const char* line;
  bool accepted;
  const char* source;
  const char* destination;
  int mode;
};

TEST_F(ManifestTest, EachLineFollowsTheFormatRules) {
  const LineRow rows[] = {
      {"qixgsfilter\t./bin 00755\n", true, "qixgsfilter", "./bin", 0755},
      {"qixgsfilter\t./bin 0755\n", true, "qixgsfilter", "./bin", 0},
      {"qixgsfilter\t./bin 00\n", true, "qixgsfilter", "./bin", 0755},
      {"qixgsfilter\t./bin 000\n", true, "qixgsfilter", "./bin", 0755},
      {"orvo4.0.png ./etc\n", true, "orvo4.0.png", "./etc", 0},
      {"setup\n", true, "setup", "", 0},
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
  for (const LineRow& row : rows) {
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

TEST_F(ManifestTest, EndMarkerAnywhereEndsTheList) {
  write("etc/ORVOINST.CONF", "a ./bin\n# list ends at @@NULL here\nb ./bin\n");
  EXPECT_EQ(getInfoData(state_), 1);
  write("etc/ORVOINST.CONF", "# header\n@@NULL\na ./bin\n");
  EXPECT_EQ(getInfoData(state_), 0);
  EXPECT_TRUE(state_.manifest.empty());
}

TEST_F(ManifestTest, EtcIsPreferredAndBothPlacesAreSearchedForAnyName) {
  write("etc/ORVOINST.CONF", "from-etc .\n");
  write("ORVOINST.CONF", "from-top .\n");
  ASSERT_EQ(getInfoData(state_), 1);
  EXPECT_EQ(state_.manifest[0].source, "from-etc");

  fs::remove(dir_ / "etc/ORVOINST.CONF");
  ASSERT_EQ(getInfoData(state_), 1);
  EXPECT_EQ(state_.manifest[0].source, "from-top");

  state_.manifestName = "other.conf";
  write("other.conf", "other-top .\n");
  ASSERT_EQ(getInfoData(state_), 1);
  EXPECT_EQ(state_.manifest[0].source, "other-top");
  write("etc/other.conf", "other-etc .\n");
  ASSERT_EQ(getInfoData(state_), 1);
  EXPECT_EQ(state_.manifest[0].source, "other-etc");

  const std::string d = dir_.string();
  EXPECT_EQ(log(), "ORVOINST.CONF = " + d + "/etc/ORVOINST.CONF.\nORVOINST.CONF = " + d +
                       "/ORVOINST.CONF.\nORVOINST.CONF = " + d + "/other.conf.\nORVOINST.CONF = " + d +
                       "/etc/other.conf.\n");
}

TEST_F(ManifestTest, MissingManifestIsLoggedWithTheSecondPath) {
  state_.manifest.push_back({"stale", ".", 0});
  EXPECT_EQ(getInfoData(state_), 0);
  EXPECT_TRUE(state_.manifest.empty());
  EXPECT_EQ(log(), "Cannot open info file: '" + dir_.string() + "/ORVOINST.CONF'.\n");
}

TEST_F(ManifestTest, ItemLimitStopsReadingAndIsLogged) {
  std::string text;
  for (int i = 0; i < kManifestMaxItems; ++i) text += "f" + std::to_string(i) + " ./bin\n";
  write("etc/ORVOINST.CONF", text + "# a comment is no item\n");
  EXPECT_EQ(getInfoData(state_), kManifestMaxItems);
  EXPECT_EQ(log().find("more than"), std::string::npos);

  write("etc/ORVOINST.CONF", text + "extra ./bin\nmore ./bin\n");
  EXPECT_EQ(getInfoData(state_), kManifestMaxItems);
  EXPECT_EQ(state_.manifest.back().source, "f255");
  EXPECT_NE(log().find("Install manifest holds more than 256 items; the rest is not read.\n"), std::string::npos);
}

TEST_F(ManifestTest, SourceLongerThan47CharactersIsRejectedAndLogged) {
  const std::string fits(47, 's');
  const std::string tooLong(48, 'l');
  write("etc/ORVOINST.CONF", fits + " ./bin\n" + tooLong + " ./bin 00755\nnext ./bin\n");
  ASSERT_EQ(getInfoData(state_), 2);
  EXPECT_EQ(state_.manifest[0].source, fits);
  EXPECT_EQ(state_.manifest[1].source, "next");
  EXPECT_NE(log().find("Install manifest source longer than 47 characters rejected: " + tooLong + "\n"),
            std::string::npos);
}

TEST_F(ManifestTest, DebugLineForItemsWithAMode) {
  write("etc/ORVOINST.CONF", "qixgsfilter ./bin 00755\nicon ./etc\n");
  state_.debugLevel = 1;
  testing::internal::CaptureStderr();
  getInfoData(state_);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "getInfoData: qixgsfilter ===> ./bin, o755.\n");
}

TEST(TrimRight, CutsOnlyTrailingLineEndsAndBlanks) {
  const std::pair<std::string, std::string> rows[] = {
      {"a b \r\n \n", "a b"}, {"x\t \n", "x\t"}, {" \r\n", ""}, {"keep", "keep"}, {"", ""}};
  for (auto [text, expected] : rows) {
    trimRight(text);
    EXPECT_EQ(text, expected);
  }
}

}  // namespace
