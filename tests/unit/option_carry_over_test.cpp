#include "queues/option_carry_over.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <vector>

#include "../tools/ppd_writer.h"
#include "base/shell.h"
#include "base/text.h"
#include "test_support.h"

namespace {

// The text with the first `from` replaced by `to`; `from` must be there.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The value of the first line "*Default<keyword>: value" of a text or a line, line end cut off.
std::string defaultOf(const std::string& text, const std::string& keyword) {
  const std::string key = "\n*Default" + keyword + ": ";
  size_t at = ("\n" + text).find(key);
  if (at == std::string::npos) return "(none)";
  at += key.size() - 1;
  return text.substr(at, text.find_first_of("\r\n", at) - at);
}

bool cupstestppdAccepts(const std::string& path) {
  return runShell("cupstestppd -q -I filters " + shellWord(path) + " >/dev/null 2>&1") == 0;
}

// The option of a *Default line inside an option block of the generated PPDs; empty for any other line.
std::string uiDefaultKeyword(const std::string& line) {
  static const std::set<std::string> kUiOptions = {"PageSize",  "PageRegion", "Duplex",     "InputSlot",
                                                   "MediaType", "Resolution", "ColorModel", "JCLEconomode"};
  const std::string keyword = startsWith(line, "*Default") ? line.substr(8, line.find(':') - 8) : "";
  return kUiOptions.count(keyword) ? keyword : "";
}

class CarryOverTest : public testing::Test {
 protected:
  // The rewrite of the new PPD into out.ppd, returned as text.
  std::string rewrite(const std::string& newPpd, const OptList& options, int count, const OfferedChoices& offered) {
    {
      FileHandle in(newPpd, "rb"), out(this->out(), "wb");
      EXPECT_TRUE(in && out);
      if (in && out) processNewPPD(state_, in.get(), out.get(), options, count, offered);
    }
    return readFile(this->out());
  }
  // What a refresh does with two fixture PPDs: the old PPD's defaults, the new PPD's choices, the rewrite.
  std::string carry(const std::string& oldPpd, const std::string& newPpd) {
    OptList options;
    int count = 0;
    getQueueOptions(state_, fixturePath(oldPpd), options, count);
    return rewrite(fixturePath(newPpd), options, count, offeredChoices(fixturePath(newPpd)));
  }
  std::string out() const { return dir_ / "out.ppd"; }
  ScratchDir dir_;
  SetupState state_;
  LogCapture log_{state_};
};

// InputSlot sits in a sub-group, which the PPD library lists in its enclosing group: carried like
// any other. ColorModel is the last option collected.
TEST_F(CarryOverTest, CarriesOldDefaultsInsideUserInterfaceBlocksOnly) {
  std::string output = carry("old_a4_default.ppd", "new_letter_default.ppd");
  const std::pair<const char*, const char*> cases[] = {
      {"PageSize", "A4"},
      {"PageRegion", "A4"},
      {"Duplex", "DuplexNoTumble"},
      {"InputSlot", "Tray2"},
      {"MediaType", "Labels"},
      {"Resolution", "1200dpi"},
      {"ColorModel", "Gray"},
      {"JCLEconomode", "On"},
      // Outside option blocks: page geometry, fonts, colour space and separations.
      {"ImageableArea", "Letter"},
      {"PaperDimension", "Letter"},
      {"Font", "Courier"},
      {"ColorSpace", "CMYK"},
      {"ColorSep", "ProcessBlack.60lpi.600dpi/60 lpi / 600 dpi"},
  };
  for (const auto& [keyword, value] : cases) EXPECT_EQ(defaultOf(output, keyword), value) << keyword;
  EXPECT_TRUE(cupstestppdAccepts(out()));
  EXPECT_TRUE(contains(log_.text(), "processNewPPD: Setting new option: *PageSize/A4.\n")) << log_.text();
}

// Only a default that names one of its option's choices is collected (here not Resolution's), in file order.
TEST_F(CarryOverTest, CollectsOnlyDefaultsThatTheirOptionLists) {
  OptList options;
  int count = -1;
  EXPECT_EQ(getQueueOptions(state_, fixturePath("old_unlisted_resolution.ppd"), options, count), 7);
  std::string collected = std::to_string(count);
  for (const OptEntry& entry : options.entries) collected += " " + std::to_string(entry.index) + entry.keyword;
  EXPECT_EQ(collected, "7 1JCLEconomode 2PageSize 3PageRegion 4Duplex 5InputSlot 6MediaType 7ColorModel");
}

// Writing a choice the new option does not list would make a PPD that cupstestppd rejects.
TEST_F(CarryOverTest, KeepsNewDefaultWhenTheOldChoiceIsNotOffered) {
  std::string output = carry("old_a4_default.ppd", "new_without_a4.ppd");
  EXPECT_EQ(defaultOf(output, "PageSize"), "Letter");
  EXPECT_EQ(defaultOf(output, "Resolution"), "600dpi");
  EXPECT_EQ(defaultOf(output, "Duplex"), "DuplexNoTumble");
  EXPECT_TRUE(contains(log_.text(), "processNewPPD: Keeping new default *PageSize/Letter: A4 not offered.\n"));
  EXPECT_TRUE(cupstestppdAccepts(out()));
}

TEST_F(CarryOverTest, KeepsNewDefaultWhenOldDefaultsConflictUnderNewConstraints) {
  ASSERT_TRUE(cupstestppdAccepts(fixturePath("new_with_constraints.ppd")));
  std::string output = carry("old_conflicting_defaults.ppd", "new_with_constraints.ppd");
  EXPECT_EQ(defaultOf(output, "PageSize"), "Env10");
  EXPECT_EQ(defaultOf(output, "Duplex"), "None");
  EXPECT_TRUE(contains(
      log_.text(), "processNewPPD: Keeping new default *Duplex/None: DuplexTumble conflicts with other defaults.\n"));
  EXPECT_TRUE(cupstestppdAccepts(out()));
}

// Old defaults (one "Keyword: value" each) written into the old fixture, the new fixture with or
// without custom page sizes, and the defaults of the rewrite ("(none)": the option is gone). Both
// fixtures get an option whose name differs from XXSmoothing only in case.
TEST_F(CarryOverTest, CarriesCustomValuesAndKeywordsOfEveryAllowedCharacter) {
  const std::string twin =
      "*OpenUI *XXsmoothing: PickOne\n*DefaultXXsmoothing: Off\n*XXsmoothing Off: \"\"\n"
      "*XXsmoothing Fine: \"\"\n*CloseUI: *XXsmoothing\n*CloseGroup: Quality";
  auto withDefaults = [](std::string text, const std::vector<std::string>& defaults) {
    for (const std::string& line : defaults) {
      std::string key = "\n*Default" + line.substr(0, line.find(':') + 1);
      size_t at = text.find(key);
      text.replace(at + 1, text.find('\n', at + 1) - at - 1, "*Default" + line);
    }
    return text;
  };
  const std::string oldText = replaced(readFile(fixturePath("old_odd_options.ppd")), "*CloseGroup: Quality", twin);
  const std::string newText = replaced(readFile(fixturePath("new_odd_options.ppd")), "*CloseGroup: Quality", twin);
  const std::string long39 = "Custom.1x" + std::string(30, '2'), long40 = long39 + "2";
  const std::tuple<std::vector<std::string>, bool, std::vector<std::string>> cases[] = {
      {{"PageSize: Custom.200x300", "XXDarkness: Custom.7", "XXGloss: Custom.3", "JCLEconomode: On"},
       true,
       {"PageSize: Custom.200x300", "XXDarkness: Custom.7", "XXGloss: Normal", "JCLEconomode: On"}},
      {{"PageSize: Custom.10x15cm"}, true, {"PageSize: Custom.10x15cm"}},
      {{"PageSize: Custom.4x6in"}, false, {"PageSize: Letter"}},
      {{"PageSize: " + long39}, true, {"PageSize: " + long39}},
      {{"PageSize: " + long40}, true, {"PageSize: Letter"}},
      {{"PageSize: w288h432", "MediaType: 4x6.Photo", "XXOption_Duplexer: True", "XXHoles: 4"},
       true,
       {"PageSize: w288h432", "MediaType: 4x6.Photo", "XXOption_Duplexer: True", "XXHoles: (none)",
        "XXFinishing: Staple"}},
      {{"PageSize: 195x270mm", "XXSmoothing: Off", "XXsmoothing: Fine"},
       true,
       {"PageSize: 195x270mm", "XXSmoothing: Off", "XXsmoothing: Fine"}},
      {{"PageSize: B-Oficio"}, true, {"PageSize: Letter"}},
  };
  for (const auto& [oldDefaults, customSizes, expected] : cases) {
    writeFile(dir_ / "old.ppd", withDefaults(oldText, oldDefaults));
    writeFile(dir_ / "new.ppd",
              customSizes ? newText : replaced(newText, "*CustomPageSize True", "*CustomPageSize False"));
    OptList options;
    int count = 0;
    getQueueOptions(state_, dir_ / "old.ppd", options, count);
    std::string output = rewrite(dir_ / "new.ppd", options, count, offeredChoices(dir_ / "new.ppd"));
    for (const std::string& line : expected) {
      std::string keyword = line.substr(0, line.find(':'));
      EXPECT_EQ(keyword + ": " + defaultOf(output, keyword), line) << oldDefaults[0];
    }
  }
  EXPECT_TRUE(contains(log_.text(), "processNewPPD: Keeping new default *XXGloss/Normal: Custom.3 not offered.\n"));
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
// line but the rewritten *Default lines keeps its bytes; those end in a line feed, comments dropped.
TEST_F(CarryOverTest, LinesPassWholeWithTheirOwnLineEnds) {
  ppdwriter::PpdRecipe recipe;
  recipe.longLine = 400;
  const std::string base = ppdwriter::ppdText(recipe);
  ASSERT_NE(base.find("*DefaultPageSize", base.find("*% Media note") + 255), std::string::npos);
  writeFile(dir_ / "plain.ppd", ppdwriter::ppdText(ppdwriter::PpdRecipe()));
  const OfferedChoices offered = offeredChoices(dir_ / "plain.ppd");
  OptList options;
  addOptList(&options, OptEntry{"PageSize", "A4", 1});
  addOptList(&options, OptEntry{"MediaType", "Labels", 2});

  const std::string longDefault = "*DefaultDuplex: None % " + std::string(300, 'x');
  const std::string input = replaced(base, "*DefaultDuplex: None\n", longDefault + "\n");
  std::string expected = replaced(input, "*DefaultPageSize: Letter\n", "*DefaultPageSize: A4\n");
  expected = replaced(expected, longDefault, "*DefaultDuplex: None");
  expected = replaced(expected, "*DefaultMediaType: Plain\n", "*DefaultMediaType: Labels\n");
  for (const char* end : {"\n", "\r\n", "\r"}) {
    for (bool finalEnd : {true, false}) {
      // The text (LF ends) with `end` after each line; after a rewritten line a line feed.
      auto withEnds = [&](const std::string& text, bool rewritten) {
        std::string result;
        for (size_t at = 0, next; at < text.size(); at = next + 1) {
          next = text.find('\n', at);
          result += text.substr(at, next - at);
          if (next + 1 < text.size() || finalEnd)
            result += rewritten && !uiDefaultKeyword(text.substr(at, next - at)).empty() ? "\n" : end;
        }
        return result;
      };
      writeFile(dir_ / "new.ppd", withEnds(input, false));
      EXPECT_EQ(rewrite(dir_ / "new.ppd", options, 2, offered), withEnds(expected, true))
          << "line end " << (end[0] == '\r' ? (end[1] ? "CR LF" : "CR") : "LF") << ", final " << finalEnd;
    }
  }
}

TEST(ParseDefaultLineTest, TakesKeywordAndFirstWordOfValue) {
  const std::string k78(78, 'K'), v79(79, 'v');
  const std::tuple<std::string, std::optional<std::string>, std::string> cases[] = {
      // line, keyword, value
      {"*DefaultPageSize: Letter  % comment\n", "*PageSize", "Letter"},
      {"*DefaultPageSize:A4\r\n", "*PageSize", "A4"},
      {"*DefaultPageSize : A4\n", "*PageSize", "A4"},
      {"*DefaultPageSize Legal\n", "*PageSize", "Legal"},
      {"*DefaultPageSize", "*PageSize", ""},
      {"*DefaultResolution: 600dpi/600 DPI\n", "*Resolution", "600dpi/600"},
      {"*DefaultColorSep: ProcessBlack.60lpi.600dpi/60 lpi / 600 dpi\n", std::nullopt, ""},
      // Keyword (with its "*") and value fit in 79 characters, or the line is not taken.
      {"*Default" + k78 + ": A4\n", "*" + k78, "A4"},
      {"*Default" + k78 + "K: A4\n", std::nullopt, ""},
      {"*DefaultPageSize: " + v79 + "\n", "*PageSize", v79},
      {"*DefaultPageSize: " + v79 + "v\n", std::nullopt, ""},
  };
  for (const auto& [line, keyword, expected] : cases) {
    std::string value = "stale";
    EXPECT_EQ(parseDefaultLine(line, value), keyword) << line;
    if (keyword) {
      EXPECT_EQ(value, expected) << line;
    }
  }
}

}  // namespace
