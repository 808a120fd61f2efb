#include "queues/option_carry_over.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "base/text.h"
#include "test_support.h"

static std::string replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The value of the first line "*Default<keyword>: value" of a text, line end cut off.
static std::string defaultOf(const std::string& text, const std::string& keyword) {
  const std::string key = "\n*Default" + keyword + ": ";
  size_t at = ("\n" + text).find(key);
  if (at == std::string::npos) return "(none)";
  at += key.size() - 1;
  return text.substr(at, text.find_first_of("\r\n", at) - at);
}

// Calls f(keyword, line) for every "Keyword: value" line of a ';'-separated list.
template <typename F>
static void forEachDefault(const std::string& list, F f) {
  std::istringstream lines(list);
  for (std::string line; std::getline(lines, line, ';');) f(line.substr(0, line.find(':')), line);
}

class CarryOverTest : public testing::Test {
 protected:
  // The rewrite of the new PPD into out.ppd, returned as text.
  std::string rewrite(const std::string& newPpd, const OptList& options, int count, const OfferedChoices& offered) {
    FileHandle in(newPpd, "rb"), out(dir_ / "out.ppd", "wb");
    processNewPPD(state_, in.get(), out.get(), options, count, offered);
    out.close();
    return readFile(dir_ / "out.ppd");
  }
  ScratchDir dir_;
  SetupState state_;
};

// The old PPD's defaults carried into the new one where its option offers the choice and the defaults stay
// free of conflicts, and only inside user-interface blocks (InputSlot sits in a sub-group); an old default
// that is none of its option's choices is not carried (here Resolution's); custom values, and keywords of
// every allowed character.
TEST_F(CarryOverTest, CarriesOfferedDefaultsCustomValuesAndOddKeywords) {
  auto fixture = [](const char* name) { return readFile(fixturePath(name)); };
  const std::string oldOdd = fixture("old_odd_options.ppd"), newOdd = fixture("new_odd_options.ppd");
  const std::string noCustom = replaced(newOdd, "*CustomPageSize True", "*CustomPageSize False");
  auto odd = [&](const std::string& defaults) {  // the old odd fixture with these defaults
    std::string text = oldOdd;
    forEachDefault(defaults, [&](auto keyword, auto line) {
      text = replaced(text, "\n*Default" + keyword + ": " + defaultOf(text, keyword), "\n*Default" + line);
    });
    return text;
  };
  const std::string a4 = fixture("old_a4_default.ppd"), letter = fixture("new_letter_default.ppd");
  const std::string long39 = "Custom.1x" + std::string(30, '2');
  const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
      // old PPD, new PPD, defaults of the rewrite ("(none)": the option is gone), line logged
      {a4, letter,
       "PageSize: A4;Duplex: DuplexNoTumble;InputSlot: Tray2;Resolution: 1200dpi;JCLEconomode: On;"
       "ImageableArea: Letter;Font: Courier;ColorSep: ProcessBlack.60lpi.600dpi/60 lpi / 600 dpi",
       "Setting new option: *PageSize/A4.\n"},
      {a4, fixture("new_without_a4.ppd"), "PageSize: Letter;Resolution: 600dpi;Duplex: DuplexNoTumble",
       "Keeping new default *PageSize/Letter: A4 not offered.\n"},
      {fixture("old_conflicting_defaults.ppd"), fixture("new_with_constraints.ppd"), "PageSize: Env10;Duplex: None",
       "Keeping new default *Duplex/None: DuplexTumble conflicts with other defaults.\n"},
      // Duplex conflicts with Resolution's new default only, and fits the carried one.
      {fixture("old_tumble_1200dpi_gray.ppd"), fixture("new_with_chained_constraints.ppd"),
       "PageSize: A4;Duplex: DuplexTumble;Resolution: 1200dpi;ColorModel: CMYK",
       "Keeping new default *ColorModel/CMYK: Gray conflicts with other defaults.\n"},
      {fixture("old_unlisted_resolution.ppd"), replaced(letter, "*Resolution 300dpi/300 DPI", "*Resolution 555dpi"),
       "Resolution: 600dpi;PageSize: A4", "Setting new option: *PageSize/A4.\n"},
      {odd("PageSize: Custom.200x300;XXDarkness: Custom.7;XXGloss: Custom.3;JCLEconomode: On"), newOdd,
       "PageSize: Custom.200x300;XXDarkness: Custom.7;XXGloss: Normal;JCLEconomode: On",
       "Keeping new default *XXGloss/Normal: Custom.3 not offered.\n"},
      {odd("PageSize: Custom.4x6in"), noCustom, "PageSize: Letter", "*PageSize/Letter: Custom.4x6in not offered"},
      {odd("PageSize: " + long39), newOdd, "PageSize: " + long39, "Setting new option: *PageSize/" + long39},
      {odd("PageSize: " + long39 + "2"), newOdd, "PageSize: Letter", "processNewPPD(nOptions=10)\n"},  // not collected
      {odd("PageSize: w288h432;MediaType: 4x6.Photo;XXOption_Duplexer: True;XXHoles: 4"), newOdd,
       "PageSize: w288h432;MediaType: 4x6.Photo;XXOption_Duplexer: True;XXHoles: (none);XXFinishing: Staple",
       "Setting new option: *XXOption_Duplexer/True."},
  };
  for (const auto& [oldText, newText, defaults, logged] : cases) {
    LogCapture log(state_);  // each row's own run log
    writeFile(dir_ / "old.ppd", oldText);
    writeFile(dir_ / "new.ppd", newText);
    OptList options;
    int count = 0;
    getQueueOptions(state_, dir_ / "old.ppd", options, count);
    const std::string text = rewrite(dir_ / "new.ppd", options, count, offeredChoices(dir_ / "new.ppd"));
    forEachDefault(defaults, [&](auto key, auto line) { EXPECT_EQ(key + ": " + defaultOf(text, key), line); });
    EXPECT_TRUE(contains(log.text(), logged)) << logged << "\n" << log.text();
  }
}

// Whole lines under every line-end style, the last one without a line end: a 400-character comment
// holding "*DefaultPageSize" past character 255 passes untouched, a 330-character *Default line is
// rewritten to its first word; only the rewritten lines change, and they end in a line feed.
TEST_F(CarryOverTest, LinesPassWholeWithTheirOwnLineEnds) {
  OptList options;
  addOptList(&options, OptEntry{"PageSize", "A4", 1});
  const std::string note = "*% note " + std::string(260, '-') + " *DefaultPageSize: Letter " + std::string(110, '-');
  for (const std::string end : {"\n", "\r\n", "\r"}) {
    auto ppd = [&](const std::string& pageSize, const std::string& duplex) {
      return "*PPD-Adobe: \"4.3\"" + end + note + end + "*OpenUI *PageSize: PickOne" + end + pageSize +
             "*PageSize A4: \"\"" + end + "*CloseUI: *PageSize" + end + "*OpenUI *Duplex: PickOne" + end + duplex +
             "*CloseUI: *Duplex";
    };
    writeFile(dir_ / "new.ppd",
              ppd("*DefaultPageSize: Letter" + end, "*DefaultDuplex: None % " + std::string(300, 'x') + end));
    EXPECT_EQ(rewrite(dir_ / "new.ppd", options, 1, {{"PageSize", {"A4", "Letter"}}, {"Duplex", {"None"}}}),
              ppd("*DefaultPageSize: A4\n", "*DefaultDuplex: None\n"))
        << testing::PrintToString(end);
  }
}

// Keyword (with its "*") and value fit in 79 characters, or the line is not taken.
TEST(ParseDefaultLineTest, TakesKeywordAndFirstWordOfValue) {
  const std::string k78(78, 'K'), v79(79, 'v');
  const std::pair<std::string, std::string> cases[] = {
      // line, keyword and value ("-": not taken)
      {"*DefaultPageSize: Letter  % comment\n", "*PageSize Letter"},
      {"*DefaultPageSize :A4\r\n", "*PageSize A4"},
      {"*DefaultPageSize", "*PageSize "},
      {"*DefaultColorSep: ProcessBlack.60lpi.600dpi/60 lpi / 600 dpi\n", "-"},
      {"*Default" + k78 + ": A4\n", "*" + k78 + " A4"},
      {"*Default" + k78 + "K: A4\n", "-"},
      {"*DefaultPageSize: " + v79 + "\n", "*PageSize " + v79},
      {"*DefaultPageSize: " + v79 + "v\n", "-"}};
  for (const auto& [line, expected] : cases) {
    std::string value;
    const std::optional<std::string> keyword = parseDefaultLine(line, value);
    EXPECT_EQ(keyword ? *keyword + " " + value : "-", expected) << line;
  }
}
