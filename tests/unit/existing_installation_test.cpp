#include "install/existing_installation.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

// ORVOINFO names a file of the test's own, which is probed for both generations, so a found value
// is always kind 1; the probes of /opt/vyr itself are shown in the sandbox scenarios.
class PreviousInstallTest : public ::testing::Test {
 protected:
  int probe(const std::string& path, const std::string& contents) {
    writeFile(path, contents);
    orvoInfo_.set(path.c_str());
    dir = "untouched";
    kind = 0;
    return findPreviousInstall(dir, kind);
  }
  ScratchDir dir_;
  EnvScope orvoInfo_{"ORVOINFO"};
  std::string dir;
  int kind = 0;
};

// The key is found anywhere in a line, also inside a longer word; blanks and controls before the
// value are skipped. Nothing found leaves kind -1 and dir untouched.
TEST_F(PreviousInstallTest, UsrDirValueIsParsedFromTheFirstLineHoldingTheKey) {
  const std::pair<std::string, const char*> rows[] = {
      {"#\n%%QIXBLOCK_GENERAL_BEGIN\nUSRDIR          /opt/vyr\nHOMEDIR         $HOME\n", "/opt/vyr"},
      {"USRDIR /a/b c\n", "/a/b"},
      {"USRDIR", ""},
      {"USRDIR \x01\x85\xff\t/srv/y\n", "/srv/y"},
      {"USRDIR  /a\tb\r\n", "/a\tb\r"},
      {"# old MYUSRDIRS x\nUSRDIR /later\n", "x"},
      {"HOMEDIR $HOME\n", nullptr},
      {std::string(252, 'x') + "USRDIR /p\n", nullptr},  // the key spans two 255-character pieces
  };
  for (const auto& [contents, expected] : rows) {
    EXPECT_EQ(probe(dir_ / "info", contents), expected ? 1 : 0) << contents;
    EXPECT_EQ(kind, expected ? kPreviousOlder : kPreviousNone) << contents;
    EXPECT_EQ(dir, expected ? expected : "untouched") << contents;
  }
}

// An ORVOINFO value that does not fit 255 characters counts as no installation, never as a cut path.
TEST_F(PreviousInstallTest, OrvoInfoLongerThan255CharactersFindsNothing) {
  const std::string base = dir_ / std::string(200, 'd') + "/";
  EXPECT_EQ(probe(base + std::string(255 - base.size(), 'f'), "USRDIR /long\n"), 1);
  EXPECT_EQ(dir, "/long");
  EXPECT_EQ(probe(base + std::string(256 - base.size(), 'f'), "USRDIR /long\n"), 0);
  EXPECT_EQ(dir, "untouched");
}

}  // namespace
