// The PPD generator the benchmarks, the sample package and the scenarios build their PPDs with.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include "base/shell.h"
#include "base/text.h"
#include "queues/ppd_adapter.h"
#include "test_support.h"

namespace {

using namespace testsupport;

const std::string kPpdgen = ORVO_BINARY_DIR "/ppdgen";

class PpdgenTest : public testing::Test {
 protected:
  void SetUp() override {
    if (access(kPpdgen.c_str(), X_OK) != 0) GTEST_SKIP() << "ppdgen is not built in this build tree";
  }
  ScratchDir dir_;
};

TEST_F(PpdgenTest, BatchWritesValidPpdsForEveryPdl) {
  struct Case {
    const char* pdl;
    const char* version;
    const char* file;
    const char* modelLine;
  } cases[] = {
      {"ps", "1.5", "a.ppd.gz", "*ModelName: \"Ostra Velo 40 PS\""},
      {"pcl", "3.0", "b.ppd", "*ModelName: \"Ostra Velo 40 PCL\""},
      {"pxl", "none", "c.ppd.gz", "*ModelName: \"Ostra Velo 40 PXL\""},
  };
  std::string list;
  for (const Case& c : cases)
    list += std::string("Ostra Velo 40\t") + c.pdl + '\t' + c.version + '\t' + (dir_ / c.file) + '\n';
  writeFile(dir_ / "list", list);
  ASSERT_EQ(runShell(kPpdgen + " --batch --pagesize A4 --lines-before-marker 6 < " + shellWord(dir_ / "list")), 0);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = dir_ / c.file;
    std::string plain = path;
    if (endsWith(path, ".gz")) {
      plain = dir_ / "plain.ppd";
      ASSERT_EQ(runShell("gzip -dc " + shellWord(path) + " > " + shellWord(plain)), 0);
    }
    const std::string text = readFile(plain);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_GT(lines.size(), 100u);
    EXPECT_EQ(lines[10], c.modelLine);
    const bool marked = std::string(c.version) != "none";
    EXPECT_EQ(lines[14 + 6] == std::string("*% Orvo version: ") + c.version, marked) << lines[20];
    EXPECT_EQ(contains(text, "*% Orvo version:"), marked);
    EXPECT_EQ(runShell("cupstestppd -q -I filters " + shellWord(path) + " >/dev/null 2>&1"), 0);
    std::optional<std::vector<PpdOptionDefault>> options = readPpdOptions(path);
    ASSERT_TRUE(options.has_value());
    EXPECT_EQ((*options)[1].keyword, "PageSize");
    EXPECT_EQ((*options)[1].defchoice, "A4");
  }
}

}  // namespace
