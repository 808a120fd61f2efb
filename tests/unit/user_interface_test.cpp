// What the administrator deals with directly: the command line, the questions and the run log.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/prompts.h"
#include "core/run_log.h"
#include "driver/command_line.h"
#include "test_support.h"

namespace {

using namespace std::string_literals;

// Runs one parse pass over the words; getopt wants a mutable argv.
void parse(void (*pass)(SetupState&, int, char**), SetupState& state, std::vector<std::string> words) {
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pass(state, static_cast<int>(words.size()), argv.data());
}

// Standard input becomes a file holding `input` (still open once its directory is gone).
void feedStdin(const std::string& input) {
  ScratchDir dir;
  writeFile(dir / "stdin", input);
  ASSERT_NE(std::freopen((dir / "stdin").c_str(), "r", stdin), nullptr);
}

// Integers follow the leading-integer rule, clamped to int; -q -1 is -q 0, -Z is -D, the last -u wins,
// -m and -w are accepted and ignored.
TEST(CommandLine, EachPassSettlesOnlyItsOwnOptions) {
  SetupState state;
  const std::vector<std::string> args = {"setup",      "-d",          "-fabc", "-S",         "  -3x", "-q",       "-1",
                                         "-Z",         "99999999999", "-i",    "other.conf", "-u",    "/srv/pkg", "-u",
                                         "/srv/other", "-m",          "5",     "-w",         "/x",    "word"};
  state.queryMode = 7;
  parse(parseFirstPass, state, args);
  EXPECT_EQ(std::tie(state.deinstallMode, state.allowAnyDir, state.seLinuxMode, state.queryMode, state.debugLevel,
                     state.installDir),
            std::make_tuple(1, 0, -3, 7, 0, "/opt/vyr"s));
  parse(parseSecondPass, state, args);
  EXPECT_EQ(std::tie(state.queryMode, state.debugLevel, state.manifestName, state.installDir),
            std::make_tuple(0, 2147483647, "other.conf"s, "/srv/other"s));
}

// A -u or -i argument of 255 characters fits its field; one more is never cut: the run stops at once.
TEST(CommandLineDeathTest, ArgumentsUpTo255CharactersFit) {
  for (const char* option : {"-u", "-i"}) {
    SetupState state;
    EXPECT_EXIT((parse(parseFirstPass, state, {"setup", option, std::string(255, 'a')}), std::exit(7)),
                testing::ExitedWithCode(7), "");
    EXPECT_EXIT(parse(parseFirstPass, state, {"setup", option, std::string(256, 'a')}), testing::ExitedWithCode(0),
                std::string("argument of ") + option + " is longer than 255");
  }
}

// Substrings first (yes words, then no words, then all words on the four-way prompt), then the first character.
TEST(ClassifyAnswer, FollowsTheRulesInOrderForBothPrompts) {
  const AnswerKind Y = kAnswerYes, N = kAnswerNo, A = kAnswerAll, B = kAnswerBreak, U = kAnswerUnrecognised;
  // answer, yes/no, four-way
  const std::tuple<const char*, AnswerKind, AnswerKind> rows[] = {
      {"y", Y, Y},         {"YES", Y, Y},       {"aja", Y, Y}, {"possibly", Y, Y}, {"o", Y, Y},        {"s", Y, Y},
      {"n", N, N},         {"all, nein", N, N}, {"ALL", U, A}, {"xtutti", U, A},   {"t", U, A},        {"Break", U, B},
      {"yes or no", Y, Y}, {"j", U, U},         {"", U, U},    {" y", U, U},       {"\xc3\xbf", U, U},
  };
  auto kinds = [](const char* a) { return std::pair(classifyAnswer(a, false), classifyAnswer(a, true)); };
  for (const auto& [answer, yesNo, fourWay] : rows) EXPECT_EQ(kinds(answer), std::pair(yesNo, fourWay)) << answer;
}

// One line at a time, line ends stripped but never the first character; a long line comes in pieces
// of 255 characters. An answer ends at its first NUL byte: "n\0yes" is "n", not a yes.
TEST(ReadAnswer, ReadsOneLineAtATimeIn255CharacterPieces) {
  const std::string x255(255, 'x'), x45(45, 'x');
  feedStdin("yes\r\n\n\r\nno\n\r\n" + x255 + x45 + "\nn\0yes\r\nlast"s);
  std::string pieces;
  for (std::string buffer; readAnswer(buffer);) pieces += "[" + buffer + "]";
  EXPECT_EQ(pieces, "[yes][\n][\r][no][\r][" + x255 + "][" + x45 + "][n][last]");
}

// The question is written literally, then its hint, and all of it reaches the terminal before the answer
// is read: the person (a thread on pipes) answers only once it is shown, or after 5 seconds without it.
// At end of input the answer is Unrecognised.
TEST(PromptOnTerminal, ShowsTheWholeQuestionBeforeReadingTheAnswer) {
  const std::string question = "Do you want to update printer: 100%s? ";
  const std::tuple<bool, const char*, int> cases[] = {
      {false, "oui\n", kAnswerYes}, {true, "b\n", kAnswerBreak}, {false, "", kAnswerUnrecognised}};
  for (const auto& [four, answer, result] : cases) {
    TerminalPerson person("please. ", answer);
    EXPECT_EQ(four ? askYesNoAll(question) : askYesNo(question), result) << answer;
    EXPECT_TRUE(person.seen().starts_with(question + "\nAnswer with y[es]") && person.seen().ends_with("please. "))
        << person.seen();
  }
}

// Texts are written literally (never as a format), each with exactly one line end; an empty one is refused.
TEST(RunLog, WritesTextsLiterallyWithExactlyOneLineEnd) {
  SetupState state;
  LogCapture log(state);
  EXPECT_EQ(logLine(state, "no line end") + logLine(state, "has one\n") + logLine(state, "100%s %d %n"), 3);
  EXPECT_EQ(logLine(state, ""), 0);
  EXPECT_EQ(log.text(), "no line end\nhas one\n100%s %d %n\n");
}

}  // namespace
