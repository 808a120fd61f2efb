#include "install/install_manifest.h"

#include <gtest/gtest.h>

#include "base/format.h"
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

// Fields are split at runs of bytes outside 0x21..0x7F; the mode runs from the first "00" after the
// destination to the next separator (a zero mode is 0755, one leading 0 only is no mode). Comments,
// blank lines and lines that start with a separator are no items; "@@NULL" anywhere ends the list.
TEST_F(ManifestTest, EachLineFollowsTheFormatRules) {
  write("etc/ORVOINST.CONF",
        "qixgsfilter\t./bin 00755\na ./bin 0755\nb ./bin 00\nsetup   \r\nnc ./bin 00644 and more words 00777\n"
        "c ./bin x100644\nd ./bin00644\ne \x01\xa0./bin\xff"
        "00700\nf ./bin 00755x9\nppd/*.ppd.gz ?\n\x7f ./bin\n g ./bin 00755\n# h ./bin 00755\n\r\n"
        "i ./bin\n# the list ends at @@NULL here\nj ./bin\n");
  EXPECT_EQ(getInfoData(state_), 12);
  std::string items;
  for (const auto& item : state_.manifest)
    items += format("%s|%s|%o ", item.source.c_str(), item.destination.c_str(), item.mode);
  EXPECT_EQ(items,
            "qixgsfilter|./bin|755 a|./bin|0 b|./bin|755 setup||0 nc|./bin|644 c|./bin|644 d|./bin00644|0 e|./bin|700 "
            "f|./bin|755 ppd/*.ppd.gz|?|0 \x7f|./bin|0 i|./bin|0 ");
}

// etc/ first, then the top of the source directory; none is logged with the second path, under the name -i gave.
TEST_F(ManifestTest, EtcIsPreferredThenTheTopOfTheSource) {
  auto firstSource = [&] { return getInfoData(state_) > 0 ? state_.manifest[0].source : "(none)"; };
  write("etc/ORVOINST.CONF", "from-etc .\n");
  write("ORVOINST.CONF", "from-top .\n");
  EXPECT_EQ(firstSource(), "from-etc");
  fs::remove(dir_ / "etc/ORVOINST.CONF");
  EXPECT_EQ(firstSource(), "from-top");
  state_.manifestName = "absent.conf";
  EXPECT_EQ(firstSource(), "(none)");
  EXPECT_TRUE(contains(log_.text(), "ORVOINST.CONF = " + (dir_ / "ORVOINST.CONF") + ".\nCannot open info file: '" +
                                        (dir_ / "absent.conf") + "'.\n"));
}

// Limits of the manifest: 256 items, 47-character sources; what passes them is logged, never cut.
TEST_F(ManifestTest, LimitsAreLoggedNeverCut) {
  std::string text;
  for (int i = 0; i < kManifestMaxItems - 1; ++i) text += "f" + std::to_string(i) + " ./bin\n";
  const std::string fits(47, 's'), tooLong(48, 'l');
  write("etc/ORVOINST.CONF", text + tooLong + " ./bin 00755\n" + fits + " ./bin\nextra ./bin\n");
  EXPECT_EQ(getInfoData(state_), kManifestMaxItems);
  EXPECT_EQ(state_.manifest.back().source, fits);
  EXPECT_TRUE(contains(log_.text(), "source longer than 47 characters rejected: " + tooLong +
                                        "\nInstall manifest holds more than 256 items; the rest is not read.\n"));
}

}  // namespace
