#include "queues/printer_inventory.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "base/format.h"
#include "base/shell.h"
#include "driver/setup_state.h"
#include "queues/model_table.h"
#include "test_support.h"

namespace {

using namespace testsupport;

int idOf(const char* name) {
  for (const ModelEntry& row : modelTable())
    if (std::string(row.name) == name) return row.id;
  return -1;
}

// A PPD of `total` comment lines with the given lines put at their 1-based line numbers.
std::string ppdLines(const std::map<int, std::string>& placed, int total = 40) {
  std::string text;
  for (int line = 1; line <= total; ++line) {
    auto found = placed.find(line);
    text += (found != placed.end() ? found->second : format("*%% filler line %d", line)) + "\n";
  }
  return text;
}

// The names of a directory in the order the system lists them.
std::vector<std::string> listing(const std::string& dir) {
  std::vector<std::string> names;
  DIR* handle = opendir(dir.c_str());
  while (const dirent* item = readdir(handle)) {
    std::string name = item->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(handle);
  return names;
}

TEST(MatchModelLine, KindFromWindowBeforeLastCharacterAndFirstRowWins) {
  struct Case {
    std::string line;
    std::optional<std::string> model;
    int kind;
    int id;
  } cases[] = {
      {"*ModelName: \"Ostra LP-1200dn PCL\"", "\"Ostra LP-1200dn PCL\"", kPdlPcl, idOf("Ostra LP-1200dn")},
      {"*ModelName: \"Ostra LP-1200dn PCL\"\n", "\"Ostra LP-1200dn PCL\"", kPdlPcl, idOf("Ostra LP-1200dn")},
      {"*ModelName:  \"Ostra LP-1200 PXL\" \r\n", "\"Ostra LP-1200 PXL\"", kPdlPxl, idOf("Ostra LP-1200")},
      {"*ModelName: \"Ostra MX200 PS\"", "\"Ostra MX200 PS\"", kPdlPostScript, idOf("Ostra MX200")},
      {"*ModelName: \"Ostra MX20 PCL\"", "\"Ostra MX20 PCL\"", kPdlPcl, idOf("Ostra MX20")},
      // " PCL" and " PS" both in the window: PCL wins; " PCL" left of the window does not count.
      {"*ModelName: \"Ostra MX20 PS PCL\"", "\"Ostra MX20 PS PCL\"", kPdlPcl, idOf("Ostra MX20")},
      {"*ModelName: \"Ostra MX20 PCL ver\"", "\"Ostra MX20 PCL ver\"", kPdlPcl, idOf("Ostra MX20")},
      {"*ModelName: \"Ostra MX20 PCL vers\"", "\"Ostra MX20 PCL vers\"", kPdlUnknown, idOf("Ostra MX20")},
      {"*ModelName: Ostra MX20 PCL", "Ostra MX20 PCL", kPdlUnknown, idOf("Ostra MX20")},
      // Two table names in one text: the row that stands first decides.
      {"*ModelName: \"Brevik MX20 / Ostra LP-1100 PS\"", "\"Brevik MX20 / Ostra LP-1100 PS\"", kPdlPostScript,
       idOf("Ostra LP-1100")},
      {"*ModelName: \"Ostra LP-2200 PCL\"", "\"Ostra LP-2200 PCL\"", kPdlPcl, idOf("Ostra LP-2200")},
      {"*ModelName: \"Acme 9000 PCL\"", std::nullopt, kPdlPcl, -7},
      {"*modelname: \"Ostra MX20 PCL\"", std::nullopt, -7, -7},
      {"*ModelName: \"ostra mx20 PCL\"", std::nullopt, kPdlPcl, -7},
  };
  for (const Case& c : cases) {
    int kind = -7;
    int id = -7;
    EXPECT_EQ(matchModelLine(c.line, kind, id), c.model) << c.line;
    EXPECT_EQ(kind, c.kind) << c.line;
    EXPECT_EQ(id, c.id) << c.line;
  }
}

TEST(GetPPDVersion, FirstDigitAfterMarker) {
  struct Case {
    const char* line;
    int version;
  } cases[] = {
      {"*% Orvo version: 1.2", 1}, {"*% Orvo version:3.0\n", 3},  {"x *% Orvo version: \t9", 9},
      {"*% Orvo version: v1", -1}, {"*% Orvo version:", -1},      {"*% Orvo Version: 1", -1},
      {"*% Orvo version: 0.9", 0}, {"*FileVersion: \"1.2\"", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(getPPDVersion(c.line), c.version) << c.line;
}

// A CUPS tree and a package PPD directory in a scratch root, and a run log to read back.
class InventoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(cupsDir_);
    std::filesystem::create_directories(packageDir_);
    state_.cupsBaseDir = root_.path();
    state_.ppdInstallDir = packageDir_;
  }
  // Writes a package PPD compressed with gzip; returns its path.
  std::string writeGzip(const std::string& path, const std::string& text) {
    writeFile(path, text);
    EXPECT_EQ(runShell("gzip -n -f " + shellWord(path)), 0);
    return path + ".gz";
  }
  ScratchDir root_;
  std::string cupsDir_ = root_ / "etc/cups/ppd", packageDir_ = root_ / "package/ppd";
  SetupState state_;
  LogCapture log_{state_};
};

TEST_F(InventoryTest, TakesQueuesOnVersionOnePpdsOfKnownLanguage) {
  const std::string v1 = readFile(fixturePath("queue_lp1200dn_pcl_v1.ppd"));
  const std::string model = "*ModelName: \"Ostra MX200 PS\"";
  const std::string tooLong(80, 'q');
  struct Case {
    std::string file;
    std::string text;
    int kind;  // 0: not taken
  } cases[] = {
      {"office2.ppd", v1, kPdlPcl},
      {"office2.ppd.O", v1, 0},
      {"office2.ppd.N", v1, 0},
      {"office3.txt", v1, 0},
      {tooLong + ".ppd", v1, 0},
      {"v4.ppd", ppdLines({{2, "*% Orvo version: 4.0"}, {3, model}}), 0},
      {"v0then1.ppd", ppdLines({{2, "*% Orvo version: 0.1"}, {3, model}, {20, "*% Orvo version: 1.0"}}),
       kPdlPostScript},
      {"v2then1.ppd", ppdLines({{2, "*% Orvo version: 2.0"}, {3, model}, {20, "*% Orvo version: 1.0"}}), 0},
      {"line30.ppd", ppdLines({{1, model}, {30, "*% Orvo version: 1.0"}}), kPdlPostScript},
      {"line31.ppd", ppdLines({{1, model}, {31, "*% Orvo version: 1.0"}}), 0},
      {"model31.ppd", ppdLines({{1, "*% Orvo version: 1.0"}, {31, model}}), 0},
      // A 300-character line is two reads of the window, so the marker on line 30 is the 31st read.
      {"longline.ppd", ppdLines({{1, model}, {2, "*%" + std::string(298, '-')}, {30, "*% Orvo version: 1.0"}}), 0},
      {"nopdl.ppd", ppdLines({{1, "*% Orvo version: 1.0"}, {2, "*ModelName: \"Ostra MX200\""}}), 0},
      {"foreign.ppd", ppdLines({{1, "*% Orvo version: 1.0"}, {2, "*ModelName: \"Acme 9000 PCL\""}}), 0},
      {"crlf.ppd", "*PPD-Adobe: \"4.3\"\r\n*% Orvo version: 1.0\r\n*ModelName: \"Ostra iQ 30w PXL\"\r\n", kPdlPxl},
  };
  std::map<std::string, int> expected;
  for (const Case& c : cases) {
    writeFile(cupsDir_ + "/" + c.file, c.text);
    if (c.kind != 0) expected[c.file.substr(0, c.file.size() - 4)] = c.kind;
  }

  int count = -1;
  EXPECT_EQ(getInstalledPrinters(state_, state_.printers, count), 1);
  ASSERT_EQ(count, static_cast<int>(expected.size()));
  EXPECT_EQ(state_.printers.ringSize(), static_cast<size_t>(count));
  std::map<std::string, int> taken;
  for (int i = 0; i < count; ++i) {
    const PrinterEntry& entry = state_.printers.at(i);
    EXPECT_EQ(entry.listIndex, i);
    EXPECT_EQ(entry.ppdPath, cupsDir_ + "/" + entry.queueName + ".ppd");
    taken[entry.queueName] = entry.pdlKind;
    if (entry.queueName == "office2") {
      EXPECT_EQ(entry.modelName, "\"Ostra LP-1200dn PCL\"");
      EXPECT_EQ(entry.modelId, idOf("Ostra LP-1200dn"));
    }
  }
  EXPECT_EQ(taken, expected);
  EXPECT_NE(log_.text().find("Skipping printer queue '" + tooLong + "': not a usable queue name.\n"),
            std::string::npos);
}

TEST_F(InventoryTest, ReportsQueueAndItsGzipCompressedNewPpd) {
  writeFile(cupsDir_ + "/office2.ppd", readFile(fixturePath("queue_lp1200dn_pcl_v1.ppd")));
  std::string newPpd = writeGzip(packageDir_ + "/lp1200dn_pcl.ppd", readFile(fixturePath("package_lp1200dn_pcl.ppd")));

  int count = 0;
  EXPECT_EQ(getInstalledPrinters(state_, state_.printers, count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(log_.text(), format("List of Ostra Printers installed: 1.\n"
                                "Printer : office2.\n"
                                "\tPPD File: %s/office2.ppd.\n"
                                "\tModel   : \"Ostra LP-1200dn PCL\".\n"
                                "\tOstra ID: %d.\n"
                                "\tPDL     : PCL.\n"
                                "List of Ostra PPD files to install: 1.\n"
                                "Printer : office2.\n"
                                "Getting PPD from directory: %s\n"
                                "PPD = %s.\n",
                                cupsDir_.c_str(), idOf("Ostra LP-1200dn"), packageDir_.c_str(), newPpd.c_str()));
}

// An empty directory reports both headers with 0; a missing one reports nothing.
TEST_F(InventoryTest, EmptyOrMissingCupsPpdDirectory) {
  const std::pair<std::string, std::string> cases[] = {
      {root_.path(), "List of Ostra Printers installed: 0.\nList of Ostra PPD files to install: 0.\n"},
      {root_ / "nowhere", ""}};
  for (const auto& [base, logged] : cases) {
    state_.cupsBaseDir = base;
    log_.clear();
    int count = -1;
    EXPECT_EQ(getInstalledPrinters(state_, state_.printers, count), 0) << base;
    EXPECT_EQ(count, 0);
    EXPECT_EQ(log_.text(), logged);
  }
}

TEST_F(InventoryTest, NewPpdFoundInListingOrderReadingEachFileOnce) {
  const std::string pcl = readFile(fixturePath("package_lp1200dn_pcl.ppd"));
  writeFile(packageDir_ + "/a.ppd", pcl);
  writeGzip(packageDir_ + "/b.ppd", pcl);
  writeFile(packageDir_ + "/c.ppd", ppdLines({{5, "*ModelName: \"Ostra LP-1200dn PCL, duplex PCL\""}}));
  writeFile(packageDir_ + "/d.ppd", ppdLines({{5, "*ModelName: \"Ostra LP-1200 PXL\""}}));
  writeFile(packageDir_ + "/notes.txt", "no model here\n");
  ASSERT_EQ(symlink("missing.ppd", (packageDir_ + "/dangling.ppd").c_str()), 0);

  // Of the files whose model text begins with the queue's, whichever the listing gives first.
  auto firstListed = [&](std::initializer_list<std::string> names) {
    for (const std::string& name : listing(packageDir_))
      if (std::find(names.begin(), names.end(), name) != names.end()) return packageDir_ + "/" + name;
    return std::string();
  };

  const int dn = idOf("Ostra LP-1200dn");
  struct Case {
    std::string modelName;
    int kind;
    int id;
    std::string path;  // empty: not found
  } cases[] = {
      {"\"Ostra LP-1200dn PCL\"", kPdlPcl, dn, firstListed({"a.ppd", "b.ppd.gz"})},
      {"\"Ostra LP-1200dn", kPdlPcl, dn, firstListed({"a.ppd", "b.ppd.gz", "c.ppd"})},
      {"\"Ostra LP-1200dn PCL, duplex PCL\"", kPdlPcl, dn, packageDir_ + "/c.ppd"},
      {"\"Ostra LP-1200dn PCL, duplex PCL\" 2", kPdlPcl, dn, ""},
      {"\"Ostra LP-1200dn PCL\"", kPdlPxl, dn, ""},
      {"\"Ostra LP-1200dn PCL\"", kPdlPcl, idOf("Ostra LP-1200"), ""},
      {"\"Ostra LP-1200 PXL\"", kPdlPxl, idOf("Ostra LP-1200"), packageDir_ + "/d.ppd"},
  };
  testing::internal::CaptureStderr();
  for (const Case& c : cases) {
    PrinterEntry entry;
    entry.modelName = c.modelName;
    std::string path = "unchanged";
    EXPECT_EQ(findNewPPD(state_, packageDir_, entry, c.kind, c.id, path), c.path.empty() ? 0 : 1) << c.modelName;
    EXPECT_EQ(path, c.path.empty() ? "unchanged" : c.path) << c.modelName;
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Unable to open '" + packageDir_ + "/dangling.ppd'!\n");
  EXPECT_EQ(state_.newPpdIndex.filesOpened, 5);  // each readable file once, whatever the lookups

  std::string expectedLog;
  for (size_t i = 0; i < std::size(cases); ++i) expectedLog += "Getting PPD from directory: " + packageDir_ + "\n";
  EXPECT_EQ(log_.text(), expectedLog);
}

TEST_F(InventoryTest, FallsBackToInstalledPackageDirectory) {
  PrinterEntry entry;
  entry.modelName = "\"Ostra LP-1200dn PCL\"";
  state_.printers.head() = entry;
  logNewPPDs(state_, root_ / "absent", state_.printers, 1);
  std::string text = log_.text();
  EXPECT_EQ(text.find("List of Ostra PPD files to install: 1.\nPrinter : unknown.\nGetting PPD from directory: " +
                      (root_ / "absent") + "\nGetting PPD from directory: /opt/vyr/ppd\n"),
            0u)
      << text;
  EXPECT_TRUE(text.ends_with("PPD NOT FOUND!\n")) << text;
}

}  // namespace
