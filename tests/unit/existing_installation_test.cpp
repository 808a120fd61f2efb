#include "install/existing_installation.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// ORVOINFO points at a file of the test's own; the fixed /opt/vyr probes are never reached by a
// found file, and the variable is removed again afterwards.
class PreviousInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) / ("existing_installation_test" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    unsetenv("ORVOINFO");
    fs::remove_all(dir_);
  }
  int probe(const std::string& contents) {
    fs::path file = dir_ / "info";
    std::ofstream(file, std::ios::binary) << contents;
    setenv("ORVOINFO", file.c_str(), 1);
    return findPreviousInstall(dir, kind);
  }
  fs::path dir_;
  std::string dir = "untouched";
  int kind = 0;
};

TEST_F(PreviousInstallTest, UsrDirValueIsParsedAndAlwaysKindOneThroughOrvoInfo) {
  struct Row {
    const char* contents;
    const char* dir;
  };
  const Row rows[] = {
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
  for (const Row& row : rows) {
    dir = "untouched";
    kind = 0;
    EXPECT_EQ(probe(row.contents), 1) << row.contents;
    EXPECT_EQ(kind, kPreviousOlder) << row.contents;
    EXPECT_EQ(dir, row.dir) << row.contents;
  }
}

TEST_F(PreviousInstallTest, NothingFoundLeavesKindMinusOneAndDirUntouched) {
  const std::string split = std::string(252, 'x') + "USRDIR /p\n";  // the key spans two 255-character pieces
  for (const std::string& contents : {std::string("HOMEDIR $HOME\n"), std::string(), split}) {
    EXPECT_EQ(probe(contents), 0);
    EXPECT_EQ(kind, kPreviousNone);
    EXPECT_EQ(dir, "untouched");
  }
  setenv("ORVOINFO", (dir_ / "missing").c_str(), 1);
  EXPECT_EQ(findPreviousInstall(dir, kind), 0);
  EXPECT_EQ(kind, kPreviousNone);
}

TEST_F(PreviousInstallTest, OrvoInfoLongerThan255CharactersFindsNothing) {
  // Two existing files whose names are 255 and 256 characters long.
  fs::path base = dir_ / std::string(200, 'd');
  fs::create_directories(base);
  for (size_t length : {size_t{255}, size_t{256}}) {
    std::string name = base.string() + "/";
    name += std::string(length - name.size(), 'f');
    std::ofstream(name) << "USRDIR /long\n";
    setenv("ORVOINFO", name.c_str(), 1);
    dir = "untouched";
    int found = findPreviousInstall(dir, kind);
    EXPECT_EQ(found, length == 255 ? 1 : 0) << length;
    EXPECT_EQ(dir, length == 255 ? "/long" : "untouched") << length;
  }
}

}  // namespace
