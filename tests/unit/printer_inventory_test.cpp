#include "queues/printer_inventory.h"

#include <gtest/gtest.h>

#include <map>

#include "base/shell.h"
#include "queues/model_table.h"
#include "test_support.h"

static int idOf(const char* name) {
  for (const ModelEntry& row : modelTable())
    if (std::string(row.name) == name) return row.id;
  return -1;
}

// A PPD of 40 comment lines with the given lines put at their 1-based line numbers.
static std::string ppdLines(const std::map<int, std::string>& placed) {
  std::string text;
  for (int line = 1; line <= 40; ++line) text += (placed.count(line) ? placed.at(line) : "*% filler") + "\n";
  return text;
}

TEST(MatchModelLine, KindFromWindowBeforeLastCharacterAndFirstRowWins) {
  const std::tuple<std::string, std::optional<std::string>, int, const char*> cases[] = {
      // line, model, kind, row
      {"*ModelName: \"Ostra LP-1200dn PCL\"\n", "\"Ostra LP-1200dn PCL\"", kPdlPcl, "Ostra LP-1200dn"},
      {"*ModelName:  \"Ostra LP-1200 PXL\" \r\n", "\"Ostra LP-1200 PXL\"", kPdlPxl, "Ostra LP-1200"},
      // " PCL" left of the window does not count.
      {"*ModelName: \"Ostra MX20 PCL ver\"", "\"Ostra MX20 PCL ver\"", kPdlPcl, "Ostra MX20"},
      {"*ModelName: \"Ostra MX20 PCL vers\"", "\"Ostra MX20 PCL vers\"", kPdlUnknown, "Ostra MX20"},
      {"*ModelName: Ostra MX20 PCL", "Ostra MX20 PCL", kPdlUnknown, "Ostra MX20"},
      // Two table names in one text: the row that stands first decides.
      {"*ModelName: \"Brevik MX20 / Ostra LP-1100 PS\"", "\"Brevik MX20 / Ostra LP-1100 PS\"", kPdlPostScript,
       "Ostra LP-1100"},
      {"*modelname: \"Ostra MX20 PCL\"", std::nullopt, -7, nullptr},
  };
  for (const auto& [line, model, expectedKind, row] : cases) {
    int kind = -7, id = -7;
    const std::optional<std::string> got = matchModelLine(line, kind, id);
    EXPECT_EQ(std::make_tuple(got, kind, id), std::make_tuple(model, expectedKind, row ? idOf(row) : -7)) << line;
  }
}

// Queue PPDs are "<queue>.ppd" with the marker 1 and a table model of known language in the first 30 reads.
TEST(Inventory, TakesQueuesOnVersionOnePpdsOfKnownLanguage) {
  ScratchDir root;
  SetupState state;
  state.cupsBaseDir = root.path();
  const std::string v1 = readFile(fixturePath("queue_lp1200dn_pcl_v1.ppd"));
  const std::string model = "*ModelName: \"Ostra MX200 PS\"";
  const std::tuple<std::string, std::string, int> cases[] = {
      // file, text, kind (0: not taken)
      {"office2.ppd", v1, kPdlPcl},
      {"office2.ppd.O", v1, 0},
      {"v4.ppd", ppdLines({{2, "*% Orvo version: 4.0"}, {3, model}}), 0},
      {"v0then1.ppd", ppdLines({{2, "*% Orvo version: 0.1"}, {3, model}, {20, "*% Orvo version: 1.0"}}),
       kPdlPostScript},
      {"v2then1.ppd", ppdLines({{2, "*% Orvo version: 2.0"}, {3, model}, {20, "*% Orvo version: 1.0"}}), 0},
      {"line30.ppd", ppdLines({{1, model}, {2, "*% Orvo Version: 2"}, {30, "x *% Orvo version: \t1.0"}}),
       kPdlPostScript},
      {"line31.ppd", ppdLines({{1, model}, {31, "*% Orvo version: 1.0"}}), 0},
      {"model31.ppd", ppdLines({{1, "*% Orvo version: 1.0"}, {31, model}}), 0},
      // A 300-character line is two reads of the window, so the marker on line 30 is the 31st read.
      {"longline.ppd", ppdLines({{1, model}, {2, "*%" + std::string(298, '-')}, {30, "*% Orvo version: 1.0"}}), 0},
      {"nopdl.ppd", ppdLines({{1, "*% Orvo version: 1.0"}, {2, "*ModelName: \"Ostra MX200\""}}), 0},
      {"foreign.ppd", ppdLines({{1, "*% Orvo version: 1.0"}, {2, "*ModelName: \"Acme 9000 PCL\""}}), 0},
      {"crlf.ppd", "*PPD-Adobe: \"4.3\"\r\n*% Orvo version:1.0\r\n*ModelName: \"Ostra iQ 30w PXL\"\r\n", kPdlPxl},
  };
  std::map<std::string, int> expected, taken;
  for (const auto& [file, text, kind] : cases) {
    writeFile(root / ("etc/cups/ppd/" + file), text);
    if (kind != 0) expected[file.substr(0, file.size() - 4)] = kind;
  }
  int count = -1;
  EXPECT_EQ(getInstalledPrinters(state, state.printers, count), 1);
  for (int i = 0; i < count; ++i) taken[state.printers.at(i).queueName] = state.printers.at(i).pdlKind;
  EXPECT_EQ(taken, expected);
}

// The new PPD: the package file whose model text begins with the queue's, of the same model row and
// language, compressed or not; each readable file is opened once, whatever the lookups.
TEST(Inventory, NewPpdMatchesModelRowAndLanguageReadingEachFileOnce) {
  ScratchDir dir;
  SetupState state;
  writeFile(dir / "a.ppd", readFile(fixturePath("package_lp1200dn_pcl.ppd")));
  writeFile(dir / "c.ppd", ppdLines({{5, "*ModelName: \"Ostra LP-1200dn PCL, duplex PCL\""}}));
  writeFile(dir / "d.ppd", ppdLines({{5, "*ModelName: \"Ostra LP-1200 PXL\""}}));
  ASSERT_EQ(runShell("gzip -n " + shellWord(dir / "d.ppd")), 0);
  const int dn = idOf("Ostra LP-1200dn");
  const std::tuple<std::string, int, int, std::string> cases[] = {
      // model, kind, id, file found
      {"\"Ostra LP-1200dn PCL\"", kPdlPcl, dn, "a.ppd"},
      {"\"Ostra LP-1200dn PCL, duplex PCL\"", kPdlPcl, dn, "c.ppd"},
      {"\"Ostra LP-1200dn PCL, duplex PCL\" 2", kPdlPcl, dn, ""},
      {"\"Ostra LP-1200dn PCL\"", kPdlPxl, dn, ""},
      {"\"Ostra LP-1200dn PCL\"", kPdlPcl, idOf("Ostra LP-1200"), ""},
      {"\"Ostra LP-1200 PXL\"", kPdlPxl, idOf("Ostra LP-1200"), "d.ppd.gz"},
  };
  for (const auto& [modelName, kind, id, expected] : cases) {
    PrinterEntry entry;
    entry.modelName = modelName;
    std::string path = "unchanged";
    EXPECT_EQ(findNewPPD(state, dir.path(), entry, kind, id, path), expected.empty() ? 0 : 1) << modelName;
    EXPECT_EQ(path, expected.empty() ? "unchanged" : dir / expected) << modelName;
  }
  EXPECT_EQ(state.newPpdIndex.filesOpened, 3);
}
