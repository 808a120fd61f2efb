// The PPD generator the benchmarks, the sample package and the scenarios build their PPDs with.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/shell.h"
#include "base/text.h"
#include "queues/ppd_adapter.h"

namespace {

const std::string kPpdgen = ORVO_BINARY_DIR "/ppdgen";

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class PpdgenTest : public testing::Test {
 protected:
  void SetUp() override {
    if (access(kPpdgen.c_str(), X_OK) != 0) GTEST_SKIP() << "ppdgen is not built in this build tree";
    std::string pattern = testing::TempDir() + "ppdgen_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  std::string dir_;
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
  std::ofstream list(dir_ + "list");
  for (const Case& c : cases) list << "Ostra Velo 40\t" << c.pdl << '\t' << c.version << '\t' << dir_ << c.file << '\n';
  list.close();
  ASSERT_EQ(runShell(kPpdgen + " --batch --pagesize A4 --lines-before-marker 6 < " + shellWord(dir_ + "list")), 0);

  for (const Case& c : cases) {
    std::string path = dir_ + c.file;
    std::string plain = path;
    if (endsWith(path, ".gz")) {
      plain = dir_ + "plain.ppd";
      ASSERT_EQ(runShell("gzip -dc " + shellWord(path) + " > " + shellWord(plain)), 0) << c.file;
    }
    std::string text = readFile(plain);
    std::vector<std::string> lines = linesOf(text);
    ASSERT_GT(lines.size(), 100u) << c.file;
    EXPECT_EQ(lines[10], c.modelLine);
    bool marked = std::string(c.version) != "none";
    EXPECT_EQ(lines[14 + 6] == std::string("*% Orvo version: ") + c.version, marked) << lines[20];
    EXPECT_EQ(contains(text, "*% Orvo version:"), marked);
    EXPECT_EQ(runShell("cupstestppd -q -I filters " + shellWord(path) + " >/dev/null 2>&1"), 0) << c.file;
    std::optional<std::vector<PpdOptionDefault>> options = readPpdOptions(path);
    ASSERT_TRUE(options.has_value()) << c.file;
    EXPECT_EQ((*options)[1].keyword, "PageSize");
    EXPECT_EQ((*options)[1].defchoice, "A4");
  }
}

TEST_F(PpdgenTest, RejectsBadArgumentsWithoutWriting) {
  for (const char* args : {"--pdl pdf", "--sizes Letter,Huge", "--resolutions fine", "--lines-before-marker -1",
                           "--default NoEquals", "--frobnicate"}) {
    EXPECT_EQ(runShell(kPpdgen + " " + args + " -o " + dir_ + "x.ppd 2>/dev/null"), 2 << 8) << args;
    EXPECT_FALSE(pathExists(dir_ + "x.ppd")) << args;
  }
}

}  // namespace
