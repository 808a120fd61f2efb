#include "install/install_manifest.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "test_support.h"

namespace {

class ManifestTest : public ::testing::Test {
 protected:
  void SetUp() override { state_.sourceDir = dir_.path(); }
  void write(const std::string& relative, const std::string& text) { writeFile(dir_ / relative, text); }
  ScratchDir dir_;
  SetupState state_;
  LogCapture log_{state_};
};

TEST_F(ManifestTest, EachLineFollowsTheFormatRules) {
  const std::tuple<const char*, const char*, const char*, int> rows[] = {
      // line, source (none: no item), destination, mode
      {"qixgsfilter\t./bin 00755\n", "qixgsfilter", "./bin", 0755},
      {"qixgsfilter\t./bin 0755\n", "qixgsfilter", "./bin", 0},  // one leading 0 only: no mode
      {"qixgsfilter\t./bin 00\n", "qixgsfilter", "./bin", 0755},
      {"setup   \r\n", "setup", "", 0},
      {"nc ./bin 00644 and more words 00777\n", "nc", "./bin", 0644},
      {"nc ./bin x100644\n", "nc", "./bin", 0644},
      {"nc ./bin00644\n", "nc", "./bin00644", 0},
      {"nc \x01\xa0./bin\xff"
       "00700\n",
       "nc", "./bin", 0700},
      {"nc ./bin 00755x9\n", "nc", "./bin", 0755},
      {"ppd/*.ppd.gz ?\n", "ppd/*.ppd.gz", "?", 0},
      {"\x7f ./bin\n", "\x7f", "./bin", 0},
      {" qixgsfilter ./bin 00755\n", nullptr, "", 0},
      {"# qixgsfilter ./bin 00755\n", nullptr, "", 0},
      {"\r\n", nullptr, "", 0},
      // "@@NULL" anywhere in a line, a comment included, ends the list.
      {"a ./bin\n# list ends at @@NULL here\nb ./bin\n", "a", "./bin", 0},
      {"# header\n@@NULL\na ./bin\n", nullptr, "", 0},
  };
  for (const auto& [line, source, destination, mode] : rows) {
    write("etc/ORVOINST.CONF", line);
    ASSERT_EQ(getInfoData(state_), source ? 1 : 0) << line;
    ASSERT_EQ(state_.manifest.size(), source ? 1u : 0u);
    if (!source) continue;
    EXPECT_EQ(state_.manifest[0].source, source) << line;
    EXPECT_EQ(state_.manifest[0].destination, destination) << line;
    EXPECT_EQ(state_.manifest[0].mode, mode) << line;
  }
}

// etc/ first, then the top of the source directory, for the default name and for -i's; none clears
// the list and is logged with the second path.
TEST_F(ManifestTest, EtcIsPreferredAndBothPlacesAreSearchedForAnyName) {
  auto firstSource = [&] { return getInfoData(state_) == 1 ? state_.manifest[0].source : "(none)"; };
  write("etc/ORVOINST.CONF", "from-etc .\n");
  write("ORVOINST.CONF", "from-top .\n");
  EXPECT_EQ(firstSource(), "from-etc");
  fs::remove(dir_ / "etc/ORVOINST.CONF");
  EXPECT_EQ(firstSource(), "from-top");
  EXPECT_TRUE(contains(log_.text(), "ORVOINST.CONF = " + (dir_ / "ORVOINST.CONF") + ".\n"));
  state_.manifestName = "other.conf";
  write("etc/other.conf", "other-etc .\n");
  EXPECT_EQ(firstSource(), "other-etc");
  state_.manifestName = "absent.conf";
  EXPECT_EQ(firstSource(), "(none)");
  EXPECT_TRUE(state_.manifest.empty());
  EXPECT_TRUE(contains(log_.text(), "Cannot open info file: '" + (dir_ / "absent.conf") + "'.\n"));
}

// Limits of the manifest: 256 items, 47-character sources; what passes them is logged, never cut.
TEST_F(ManifestTest, LimitsAreLoggedNeverCut) {
  std::string text;
  for (int i = 0; i < kManifestMaxItems - 1; ++i) text += "f" + std::to_string(i) + " ./bin\n";
  const std::string fits(47, 's'), tooLong(48, 'l');
  write("etc/ORVOINST.CONF", text + tooLong + " ./bin 00755\n" + fits + " ./bin\n# a comment is no item\n");
  EXPECT_EQ(getInfoData(state_), kManifestMaxItems);
  EXPECT_EQ(state_.manifest.back().source, fits);
  EXPECT_TRUE(contains(log_.text(), "Install manifest source longer than 47 characters rejected: " + tooLong + "\n"));
  EXPECT_FALSE(contains(log_.text(), "more than"));
  write("etc/ORVOINST.CONF", text + "last ./bin\nextra ./bin\nmore ./bin\n");
  EXPECT_EQ(getInfoData(state_), kManifestMaxItems);
  EXPECT_EQ(state_.manifest.back().source, "last");
  EXPECT_TRUE(contains(log_.text(), "Install manifest holds more than 256 items; the rest is not read.\n"));
}

}  // namespace
