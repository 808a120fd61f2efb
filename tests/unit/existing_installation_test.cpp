#include "install/existing_installation.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

using namespace testsupport;

// ORVOINFO points at a file of the test's own; the fixed /opt/vyr probes are never reached by a
// found file. The probes of /opt/vyr itself are shown in the sandbox scenarios.
class PreviousInstallTest : public ::testing::Test {
 protected:
  int probe(const std::string& contents) {
    writeFile(dir_ / "info", contents);
    orvoInfo_.set((dir_ / "info").c_str());
    dir = "untouched";
    kind = 0;
    return findPreviousInstall(dir, kind);
  }
  ScratchDir dir_;
  EnvScope orvoInfo_{"ORVOINFO"};
  std::string dir;
  int kind = 0;
};

// The key is found anywhere in a line, also inside a longer word; blanks and controls before the value are skipped.
TEST_F(PreviousInstallTest, UsrDirValueIsParsedAndAlwaysKindOneThroughOrvoInfo) {
  const std::pair<const char*, const char*> rows[] = {
      {"#\n%%QIXBLOCK_GENERAL_BEGIN\nUSRDIR          /opt/vyr\nHOMEDIR         $HOME\n", "/opt/vyr"},
      {"USRDIR /a/b c\n", "/a/b"},
      {"USRDIR\n", ""},
      {"USRDIR", ""},
      {"USRDIR \t \t\t/srv/x\n", "/srv/x"},
      {"USRDIR \x01\x85\xff/srv/y\n", "/srv/y"},
      {"USRDIR  /a\tb\r\n", "/a\tb\r"},
      {"# old MYUSRDIRS x\nUSRDIR /later\n", "x"},
      {"USRDIR /first\nUSRDIR /second\n", "/first"},
      {"USRDIR/glued\n", "glued"},
  };
  for (const auto& [contents, expected] : rows) {
    EXPECT_EQ(probe(contents), 1) << contents;
    EXPECT_EQ(kind, kPreviousOlder) << contents;
    EXPECT_EQ(dir, expected) << contents;
  }
}

TEST_F(PreviousInstallTest, NothingFoundLeavesKindMinusOneAndDirUntouched) {
  const std::string split = std::string(252, 'x') + "USRDIR /p\n";  // the key spans two 255-character pieces
  for (const std::string& contents : {std::string("HOMEDIR $HOME\n"), std::string(), split}) {
    EXPECT_EQ(probe(contents), 0);
    EXPECT_EQ(kind, kPreviousNone);
    EXPECT_EQ(dir, "untouched");
  }
}

// An ORVOINFO value that does not fit 255 characters counts as no installation, never as a cut path.
TEST_F(PreviousInstallTest, OrvoInfoLongerThan255CharactersFindsNothing) {
  const std::string base = dir_ / std::string(200, 'd') + "/";
  for (size_t length : {size_t{255}, size_t{256}}) {
    const std::string name = base + std::string(length - base.size(), 'f');
    writeFile(name, "USRDIR /long\n");
    orvoInfo_.set(name.c_str());
    dir = "untouched";
    EXPECT_EQ(findPreviousInstall(dir, kind), length == 255 ? 1 : 0) << length;
    EXPECT_EQ(dir, length == 255 ? "/long" : "untouched") << length;
  }
}

}  // namespace
