#include "queues/option_carry_over.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>
#include <vector>

#include "base/shell.h"
#include "base/text.h"
#include "test_support.h"

namespace {

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The value of the first line "*Default<keyword>: value" of a text, line end cut off.
std::string defaultOf(const std::string& text, const std::string& keyword) {
  const std::string key = "\n*Default" + keyword + ": ";
  size_t at = ("\n" + text).find(key);
  if (at == std::string::npos) return "(none)";
  at += key.size() - 1;
  return text.substr(at, text.find_first_of("\r\n", at) - at);
}

// Every "Keyword: value" of a ';'-separated list is the default of the PPD text.
void expectDefaults(const std::string& text, const std::string& expected) {
  std::istringstream lines(expected);
  for (std::string line; std::getline(lines, line, ';');) {
    std::string keyword = line.substr(0, line.find(':'));
    EXPECT_EQ(keyword + ": " + defaultOf(text, keyword), line);
  }
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
  std::string out() const { return dir_ / "out.ppd"; }
  ScratchDir dir_;
  SetupState state_;
  LogCapture log_{state_};
};

// What a refresh does with two fixture PPDs: the old PPD's defaults carried into the new one where its
// option offers the choice and the defaults stay free of conflicts, and only inside user-interface blocks
// (InputSlot sits in a sub-group); the result is a PPD cupstestppd accepts.
TEST_F(CarryOverTest, CarriesOfferedDefaultsInsideUserInterfaceBlocksOnly) {
  struct Row {
    const char *oldPpd, *newPpd, *defaults, *logged;
  } rows[] = {
      {"old_a4_default.ppd", "new_letter_default.ppd",
       "PageSize: A4;PageRegion: A4;Duplex: DuplexNoTumble;InputSlot: Tray2;MediaType: Labels;Resolution: 1200dpi;"
       "ColorModel: Gray;JCLEconomode: On;ImageableArea: Letter;PaperDimension: Letter;Font: Courier;"
       "ColorSpace: CMYK;ColorSep: ProcessBlack.60lpi.600dpi/60 lpi / 600 dpi",
       "processNewPPD: Setting new option: *PageSize/A4.\n"},
      {"old_a4_default.ppd", "new_without_a4.ppd", "PageSize: Letter;Resolution: 600dpi;Duplex: DuplexNoTumble",
       "processNewPPD: Keeping new default *PageSize/Letter: A4 not offered.\n"},
      {"old_conflicting_defaults.ppd", "new_with_constraints.ppd", "PageSize: Env10;Duplex: None",
       "processNewPPD: Keeping new default *Duplex/None: DuplexTumble conflicts with other defaults.\n"},
  };
  for (const Row& row : rows) {
    OptList options;
    int count = 0;
    getQueueOptions(state_, fixturePath(row.oldPpd), options, count);
    const std::string newPpd = fixturePath(row.newPpd);
    std::string output = rewrite(newPpd, options, count, offeredChoices(newPpd));
    expectDefaults(output, row.defaults);
    EXPECT_TRUE(contains(log_.text(), row.logged)) << row.logged;
    EXPECT_EQ(runShell("cupstestppd -q -I filters " + shellWord(out()) + " >/dev/null 2>&1"), 0) << row.newPpd;
  }
}

// Only a default that names one of its option's choices is collected (here not Resolution's), in file
// order; a PPD the library cannot parse leaves list and count alone.
TEST_F(CarryOverTest, CollectsOnlyDefaultsThatTheirOptionLists) {
  OptList options;
  int count = -1;
  EXPECT_EQ(getQueueOptions(state_, fixturePath("old_unlisted_resolution.ppd"), options, count), 7);
  std::string collected = std::to_string(count);
  for (const OptEntry& entry : options.entries) collected += " " + std::to_string(entry.index) + entry.keyword;
  EXPECT_EQ(collected, "7 1JCLEconomode 2PageSize 3PageRegion 4Duplex 5InputSlot 6MediaType 7ColorModel");

  testing::internal::CaptureStderr();
  EXPECT_EQ(getQueueOptions(state_, fixturePath("not_a_ppd.ppd"), options, count), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Unable to open '" + fixturePath("not_a_ppd.ppd") + "' as a PPD file!\n");
  EXPECT_EQ(count, 7);
  EXPECT_EQ(options.entries.size(), 7u);
}

// Old defaults (one "Keyword: value" each) written into the old fixture, the new fixture with or
// without custom page sizes, and the defaults of the rewrite ("(none)": the option is gone). Both
// fixtures get an option whose name differs from XXSmoothing only in case.
TEST_F(CarryOverTest, CarriesCustomValuesAndKeywordsOfEveryAllowedCharacter) {
  const std::string twin =
      "*OpenUI *XXsmoothing: PickOne\n*DefaultXXsmoothing: Off\n*XXsmoothing Off: \"\"\n"
      "*XXsmoothing Fine: \"\"\n*CloseUI: *XXsmoothing\n*CloseGroup: Quality";
  auto withDefaults = [](std::string text, const std::string& defaults) {
    std::istringstream lines(defaults);
    for (std::string line; std::getline(lines, line, ';');) {
      std::string key = "\n*Default" + line.substr(0, line.find(':') + 1);
      size_t at = text.find(key);
      text.replace(at + 1, text.find('\n', at + 1) - at - 1, "*Default" + line);
    }
    return text;
  };
  const std::string oldText = replaced(readFile(fixturePath("old_odd_options.ppd")), "*CloseGroup: Quality", twin);
  const std::string newText = replaced(readFile(fixturePath("new_odd_options.ppd")), "*CloseGroup: Quality", twin);
  const std::string long39 = "Custom.1x" + std::string(30, '2'), long40 = long39 + "2";
  // old defaults, custom sizes offered, defaults of the rewrite
  const std::tuple<std::string, bool, std::string> cases[] = {
      {"PageSize: Custom.200x300;XXDarkness: Custom.7;XXGloss: Custom.3;JCLEconomode: On", true,
       "PageSize: Custom.200x300;XXDarkness: Custom.7;XXGloss: Normal;JCLEconomode: On"},
      {"PageSize: Custom.10x15cm", true, "PageSize: Custom.10x15cm"},
      {"PageSize: Custom.4x6in", false, "PageSize: Letter"},
      {"PageSize: " + long39, true, "PageSize: " + long39},
      {"PageSize: " + long40, true, "PageSize: Letter"},
      {"PageSize: w288h432;MediaType: 4x6.Photo;XXOption_Duplexer: True;XXHoles: 4", true,
       "PageSize: w288h432;MediaType: 4x6.Photo;XXOption_Duplexer: True;XXHoles: (none);XXFinishing: Staple"},
      {"PageSize: 195x270mm;XXSmoothing: Off;XXsmoothing: Fine", true,
       "PageSize: 195x270mm;XXSmoothing: Off;XXsmoothing: Fine"},
      {"PageSize: B-Oficio", true, "PageSize: Letter"},
  };
  for (const auto& [oldDefaults, customSizes, expected] : cases) {
    writeFile(dir_ / "old.ppd", withDefaults(oldText, oldDefaults));
    writeFile(dir_ / "new.ppd",
              customSizes ? newText : replaced(newText, "*CustomPageSize True", "*CustomPageSize False"));
    OptList options;
    int count = 0;
    getQueueOptions(state_, dir_ / "old.ppd", options, count);
    std::string output = rewrite(dir_ / "new.ppd", options, count, offeredChoices(dir_ / "new.ppd"));
    expectDefaults(output, expected);
  }
  EXPECT_TRUE(contains(log_.text(), "processNewPPD: Keeping new default *XXGloss/Normal: Custom.3 not offered.\n"));
}

// Whole lines under every line-end style, with and without a final line end: a 400-character comment
// holding "*DefaultPageSize" past character 255 passes untouched, a 330-character *Default line is
// rewritten to its first word; only the rewritten lines change, and they end in a line feed.
TEST_F(CarryOverTest, LinesPassWholeWithTheirOwnLineEnds) {
  OptList options;
  addOptList(&options, OptEntry{"PageSize", "A4", 1});
  const OfferedChoices offered = {{"PageSize", {"A4", "Letter"}}, {"Duplex", {"None"}}};
  const std::string note = "*% note " + std::string(260, '-') + " *DefaultPageSize: Letter " + std::string(110, '-');
  for (const std::string end : {"\n", "\r\n", "\r"}) {
    for (bool finalEnd : {true, false}) {
      auto ppd = [&](const std::string& pageSize, const std::string& duplex) {
        return "*PPD-Adobe: \"4.3\"" + end + note + end + "*OpenUI *PageSize: PickOne" + end + pageSize +
               "*PageSize A4: \"\"" + end + "*CloseUI: *PageSize" + end + "*OpenUI *Duplex: PickOne" + end + duplex +
               "*CloseUI: *Duplex" + (finalEnd ? end : "");
      };
      writeFile(dir_ / "new.ppd",
                ppd("*DefaultPageSize: Letter" + end, "*DefaultDuplex: None % " + std::string(300, 'x') + end));
      EXPECT_EQ(rewrite(dir_ / "new.ppd", options, 1, offered), ppd("*DefaultPageSize: A4\n", "*DefaultDuplex: None\n"))
          << testing::PrintToString(end) << ", final " << finalEnd;
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
