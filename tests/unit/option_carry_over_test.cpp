#include "queues/option_carry_over.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "../tools/ppd_writer.h"
#include "base/shell.h"
#include "base/text.h"
#include "driver/setup_state.h"
#include "test_support.h"

namespace {

using namespace testsupport;

// The text with the first `from` replaced by `to`; `from` must be there.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// Lines with their line ends (LF, CR LF or CR).
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    line += text[i];
    bool crlf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    if (crlf) line += text[++i];
    if (text[i] == '\n' || text[i] == '\r') lines.push_back(std::move(line)), line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// The value of the first line "*Default<keyword>: value", line end cut off.
std::string defaultOf(const std::string& text, const std::string& keyword) {
  for (std::string line : splitLines(text)) {
    if (!startsWith(line, "*Default" + keyword + ":")) continue;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line.substr(keyword.size() + 10);
  }
  return "(none)";
}

bool cupstestppdAccepts(const std::string& path) {
  return runShell("cupstestppd -q -I filters " + shellWord(path) + " >/dev/null 2>&1") == 0;
}

// Options whose *Default lines stand inside *OpenUI blocks in the generated PPDs.
const std::set<std::string> kUiOptions = {"PageSize",  "PageRegion", "Duplex",    "InputSlot",
                                          "MediaType", "Resolution", "ColorModel"};

// The text with each *Default line of those options ending in a line feed, as a rewrite writes it
// whatever the file's own line ends are.
std::string withRewrittenLineEnds(const std::string& text) {
  std::string result;
  for (std::string line : splitLines(text)) {
    if (startsWith(line, "*Default") && kUiOptions.count(line.substr(8, line.find(':') - 8))) {
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      line += '\n';
    }
    result += line;
  }
  return result;
}

class CarryOverTest : public testing::Test {
 protected:
  std::string rewrite(const std::string& newPpd, const OptList& options, int count, const OfferedChoices& offered) {
    std::FILE* in = std::fopen(newPpd.c_str(), "rb");
    std::FILE* out = std::fopen(this->out().c_str(), "wb");
    EXPECT_TRUE(in && out);
    if (in && out) processNewPPD(state_, in, out, options, count, offered);
    if (in) std::fclose(in);
    if (out) std::fclose(out);
    return readFile(this->out());
  }
  // What a refresh does: the old PPD's defaults, the new PPD's choices, the rewrite.
  std::string carry(const std::string& oldPpd, const std::string& newPpd) {
    OptList options;
    int count = 0;
    getQueueOptions(state_, oldPpd, options, count);
    return rewrite(newPpd, options, count, offeredChoices(newPpd));
  }
  std::string out() const { return dir_ / "out.ppd"; }

  ScratchDir dir_;
  SetupState state_;
  LogCapture log_{state_};
};

// InputSlot sits in a sub-group, which the PPD library lists in its enclosing group: carried like
// any other. ColorModel is the last option collected.
TEST_F(CarryOverTest, CarriesOldDefaultsInsideUserInterfaceBlocksOnly) {
  std::string output = carry(fixturePath("old_a4_default.ppd"), fixturePath("new_letter_default.ppd"));
  const std::pair<const char*, const char*> cases[] = {
      {"PageSize", "A4"},
      {"PageRegion", "A4"},
      {"Duplex", "DuplexNoTumble"},
      {"InputSlot", "Tray2"},
      {"MediaType", "Labels"},
      {"Resolution", "1200dpi"},
      {"ColorModel", "Gray"},
      // Outside user-interface blocks: JCL options, page geometry, fonts, colour space and separations.
      {"JCLEconomode", "Off"},
      {"ImageableArea", "Letter"},
      {"PaperDimension", "Letter"},
      {"Font", "Courier"},
      {"ColorSpace", "CMYK"},
      {"ColorSep", "ProcessBlack.60lpi.600dpi/60 lpi / 600 dpi"},
  };
  for (const auto& [keyword, value] : cases) EXPECT_EQ(defaultOf(output, keyword), value) << keyword;
  EXPECT_TRUE(cupstestppdAccepts(out()));

  std::string text = log_.text();
  EXPECT_TRUE(contains(text, "processNewPPD: Setting new option: *PageSize/A4.\n")) << text;
  EXPECT_FALSE(contains(text, "processNewPPD(*")) << "debug trace without -D";

  // With -D every *Default keyword inside a block is traced.
  state_.debugLevel = 1;
  carry(fixturePath("old_a4_default.ppd"), fixturePath("new_letter_default.ppd"));
  text = log_.text();
  for (const std::string& keyword : kUiOptions)
    EXPECT_TRUE(contains(text, "processNewPPD(*" + keyword + ").\n")) << keyword;
  EXPECT_FALSE(contains(text, "processNewPPD(*JCLEconomode)."));
}

TEST_F(CarryOverTest, CollectsOnlyDefaultsThatTheirOptionLists) {
  OptList options;
  int count = -1;
  EXPECT_EQ(getQueueOptions(state_, fixturePath("old_unlisted_resolution.ppd"), options, count), 7);
  EXPECT_EQ(count, 7);
  std::vector<std::string> keywords;
  for (const OptEntry& entry : options.entries) {
    keywords.push_back(entry.keyword);
    EXPECT_EQ(entry.index, static_cast<int>(keywords.size()));
  }
  EXPECT_EQ(keywords, (std::vector<std::string>{"JCLEconomode", "PageSize", "PageRegion", "Duplex", "InputSlot",
                                                "MediaType", "ColorModel"}));
  const std::string newPpd = fixturePath("new_letter_default.ppd");
  EXPECT_EQ(defaultOf(rewrite(newPpd, options, count, offeredChoices(newPpd)), "Resolution"), "600dpi");
  EXPECT_FALSE(contains(log_.text(), "*Resolution/"));
}

// Writing a choice the new option does not list would make a PPD that cupstestppd rejects.
TEST_F(CarryOverTest, KeepsNewDefaultWhenTheOldChoiceIsNotOffered) {
  std::string output = carry(fixturePath("old_a4_default.ppd"), fixturePath("new_without_a4.ppd"));
  EXPECT_EQ(defaultOf(output, "PageSize"), "Letter");
  EXPECT_EQ(defaultOf(output, "Resolution"), "600dpi");
  EXPECT_EQ(defaultOf(output, "Duplex"), "DuplexNoTumble");
  std::string text = log_.text();
  EXPECT_TRUE(contains(text, "processNewPPD: Keeping new default *PageSize/Letter: A4 not offered.\n")) << text;
  EXPECT_TRUE(contains(text, "processNewPPD: Keeping new default *Resolution/600dpi: 1200dpi not offered.\n"));
  EXPECT_FALSE(contains(text, "Setting new option: *PageSize/"));
  EXPECT_TRUE(cupstestppdAccepts(out()));
}

TEST_F(CarryOverTest, KeepsNewDefaultWhenOldDefaultsConflictUnderNewConstraints) {
  ASSERT_TRUE(cupstestppdAccepts(fixturePath("new_with_constraints.ppd")));
  std::string output = carry(fixturePath("old_conflicting_defaults.ppd"), fixturePath("new_with_constraints.ppd"));
  EXPECT_EQ(defaultOf(output, "PageSize"), "Env10");
  EXPECT_EQ(defaultOf(output, "Duplex"), "None");
  EXPECT_TRUE(contains(
      log_.text(), "processNewPPD: Keeping new default *Duplex/None: DuplexTumble conflicts with other defaults.\n"));
  EXPECT_TRUE(cupstestppdAccepts(out()));
}

// With no old option the output is the new PPD with its *Default lines in block normalised.
TEST_F(CarryOverTest, DropsCommentsAfterNewDefaults) {
  const std::string newPpd = fixturePath("new_default_comments.ppd");
  std::string expected = replaced(readFile(newPpd), "None  % simplex unless the queue says otherwise\n", "None\n");
  expected = replaced(expected, "Plain\t% plain paper\n", "Plain\n");
  EXPECT_EQ(rewrite(newPpd, OptList(), 0, offeredChoices(newPpd)), expected);

  std::string output = carry(fixturePath("old_a4_default.ppd"), newPpd);
  EXPECT_TRUE(contains(output, "\n*DefaultDuplex: DuplexNoTumble\n"));
  EXPECT_TRUE(contains(output, "\n*DefaultMediaType: Labels\n"));
}

TEST_F(CarryOverTest, UnparsableOldPpdLeavesListAndCountAlone) {
  for (const std::string& path : {fixturePath("not_a_ppd.ppd"), dir_ / "missing.ppd"}) {
    OptList options;
    addOptList(&options, OptEntry{"Duplex", "None", 1});
    int count = 5;
    testing::internal::CaptureStderr();
    EXPECT_EQ(getQueueOptions(state_, path, options, count), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Unable to open '" + path + "' as a PPD file!\n");
    EXPECT_EQ(count, 5);
    EXPECT_EQ(options.entries.size(), 1u);
  }
}

// Whole lines, whatever their length and line end: a comment of 400 characters (with
// "*DefaultPageSize" past character 255) and a *Default line of 330 characters inside
// user-interface blocks, under every line-end style, with and without a final line end. Every
// line but the rewritten *Default lines keeps its bytes; those end in a line feed.
TEST_F(CarryOverTest, LinesPassWholeWithTheirOwnLineEnds) {
  ppdwriter::PpdRecipe recipe;
  recipe.longLine = 400;
  const std::string base = ppdwriter::ppdText(recipe);
  ASSERT_NE(base.find("*DefaultPageSize", base.find("*% Media note") + 255), std::string::npos);
  ppdwriter::PpdRecipe plain;
  writeFile(dir_ / "plain.ppd", ppdwriter::ppdText(plain));
  const OfferedChoices offered = offeredChoices(dir_ / "plain.ppd");
  OptList options;
  addOptList(&options, OptEntry{"PageSize", "A4", 1});
  addOptList(&options, OptEntry{"MediaType", "Labels", 2});

  const std::string longDefault = "*DefaultDuplex: None % " + std::string(300, 'x');
  for (const char* end : {"\n", "\r\n", "\r"}) {
    for (bool finalEnd : {true, false}) {
      auto withEnds = [&](std::string text) {
        std::string result;
        for (size_t at = 0, next; at < text.size(); at = next + 1) {
          next = text.find('\n', at);
          result += text.substr(at, next - at);
          if (next + 1 < text.size() || finalEnd) result += end;
        }
        return result;
      };
      std::string input = replaced(base, "*DefaultDuplex: None\n", longDefault + "\n");
      std::string expected = replaced(input, "*DefaultPageSize: Letter\n", "*DefaultPageSize: A4\n");
      expected = replaced(expected, longDefault, "*DefaultDuplex: None");
      expected = replaced(expected, "*DefaultMediaType: Plain\n", "*DefaultMediaType: Labels\n");
      writeFile(dir_ / "new.ppd", withEnds(input));
      EXPECT_EQ(rewrite(dir_ / "new.ppd", options, 2, offered), withRewrittenLineEnds(withEnds(expected)))
          << "line end " << (end[0] == '\r' ? (end[1] ? "CR LF" : "CR") : "LF") << ", final " << finalEnd;
    }
  }
}

TEST(ParseDefaultLineTest, TakesKeywordAndFirstWordOfValue) {
  const std::string k78(78, 'K'), v79(79, 'v');
  struct Case {
    std::string line;
    bool found;
    std::string keyword;
    std::string value;
  } cases[] = {
      {"*DefaultPageSize: Letter\n", true, "*PageSize", "Letter"},
      {"*DefaultPageSize: Letter  % comment\n", true, "*PageSize", "Letter"},
      {"*DefaultPageSize:\tA4\t% comment", true, "*PageSize", "A4"},
      {"*DefaultPageSize:A4\r\n", true, "*PageSize", "A4"},
      {"*DefaultPageSize : A4\n", true, "*PageSize", "A4"},
      {"*DefaultPageSize Legal\n", true, "*PageSize", "Legal"},
      {"*DefaultPageSize:\n", true, "*PageSize", ""},
      {"*DefaultPageSize", true, "*PageSize", ""},
      {"*DefaultResolution: 600dpi/600 DPI\n", true, "*Resolution", "600dpi/600"},
      {"*DefaultColorSep: ProcessBlack.60lpi.600dpi/60 lpi / 600 dpi\n", false, "", ""},
      {"*OpenUI *PageSize/Default Size: PickOne\n", false, "", ""},
      // Keyword (with its "*") and value fit in 79 characters, or the line is not taken.
      {"*Default" + k78 + ": A4\n", true, "*" + k78, "A4"},
      {"*Default" + k78 + "K: A4\n", false, "", ""},
      {"*DefaultPageSize: " + v79 + "\n", true, "*PageSize", v79},
      {"*DefaultPageSize: " + v79 + "v\n", false, "", ""},
  };
  for (const Case& c : cases) {
    std::string value = "stale";
    std::optional<std::string> keyword = parseDefaultLine(c.line, value);
    ASSERT_EQ(keyword.has_value(), c.found) << c.line;
    if (!c.found) continue;
    EXPECT_EQ(*keyword, c.keyword) << c.line;
    EXPECT_EQ(value, c.value) << c.line;
  }
}

// Property: for generated old/new pairs the output differs from the new PPD only in *Default
// lines inside user-interface blocks, each naming the old default when the new PPD offers it
// (and, without constraints, only then), and cupstestppd accepts the output whenever it
// accepts the new PPD.
TEST_F(CarryOverTest, GeneratedPairsDifferOnlyInUiDefaultsAndStayValid) {
  std::mt19937 random(20240611);
  auto pick = [&random](const std::vector<std::string>& from) { return from[random() % from.size()]; };
  auto subset = [&](std::vector<std::string> all) {
    std::vector<std::string> kept;
    for (const std::string& item : all)
      if (random() % 3 != 0) kept.push_back(item);
    return kept.empty() ? std::vector<std::string>{all.front()} : kept;
  };
  const std::vector<std::string> allSizes = {"Letter", "Legal", "A4", "A5", "Executive", "Env10", "B5"};
  const std::vector<std::string> allResolutions = {"300dpi", "600dpi", "1200dpi", "600x300dpi"};
  auto makeRecipe = [&]() {
    ppdwriter::PpdRecipe recipe;
    recipe.pageSizes = subset(allSizes);
    recipe.resolutions = subset(allResolutions);
    std::map<std::string, std::vector<std::string>> choices = {
        {"PageSize", recipe.pageSizes},
        {"Resolution", recipe.resolutions},
        {"Duplex", {"None", "DuplexNoTumble", "DuplexTumble"}},
        {"InputSlot", {"Auto", "Tray1", "Tray2", "Manual"}},
        {"MediaType", {"Plain", "Transparency", "Labels", "Envelope"}},
        {"ColorModel", {"CMYK", "Gray"}},
        {"JCLEconomode", {"Off", "On"}},
    };
    for (auto& [keyword, list] : choices) {
      if (random() % 3 == 0) continue;  // the generator's own default
      recipe.defaults[keyword] = random() % 8 == 0 ? std::string("Unlisted") : pick(list);
    }
    if (random() % 4 == 0) recipe.defaults["PageRegion"] = pick(allSizes);
    recipe.constraints = random() % 3 == 0;
    return recipe;
  };

  int accepted = 0;
  for (int pair = 0; pair < 16; ++pair) {
    ppdwriter::PpdRecipe oldRecipe = makeRecipe();
    ppdwriter::PpdRecipe newRecipe = makeRecipe();
    newRecipe.crlf = random() % 4 == 0;
    newRecipe.finalNewline = random() % 4 != 0;
    writeFile(dir_ / "old.ppd", ppdwriter::ppdText(oldRecipe));
    writeFile(dir_ / "new.ppd", ppdwriter::ppdText(newRecipe));
    std::string output = carry(dir_ / "old.ppd", dir_ / "new.ppd");
    SCOPED_TRACE("pair " + std::to_string(pair));

    std::vector<std::string> newLines = splitLines(readFile(dir_ / "new.ppd"));
    std::vector<std::string> outLines = splitLines(output);
    ASSERT_EQ(outLines.size(), newLines.size());
    OptList oldOptions;
    int count = 0;
    getQueueOptions(state_, dir_ / "old.ppd", oldOptions, count);
    OfferedChoices offered = offeredChoices(dir_ / "new.ppd");
    for (size_t i = 0; i < newLines.size(); ++i) {
      std::string keyword;
      if (startsWith(newLines[i], "*Default")) keyword = newLines[i].substr(8, newLines[i].find(':') - 8);
      if (!kUiOptions.count(keyword)) {
        EXPECT_EQ(outLines[i], newLines[i]);
        continue;
      }
      std::string newValue = defaultOf(newLines[i], keyword);
      std::string value = defaultOf(outLines[i], keyword);
      const OptEntry* old = findOpt(oldOptions, "*" + keyword);
      bool carried = old && offered[keyword].count(old->choice);
      if (newRecipe.constraints) {
        EXPECT_TRUE(value == newValue || (carried && value == old->choice)) << outLines[i];
      } else {
        EXPECT_EQ(value, carried ? old->choice : newValue) << keyword;
      }
      EXPECT_EQ(outLines[i], "*Default" + keyword + ": " + value + "\n");
    }
    if (cupstestppdAccepts(dir_ / "new.ppd")) {
      ++accepted;
      EXPECT_TRUE(cupstestppdAccepts(out())) << output;
    }
  }
  EXPECT_GE(accepted, 4) << "too few valid new PPDs for the property to say much";
}

}  // namespace
