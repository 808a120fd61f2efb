// What the administrator deals with directly: the command line, the questions and the run log.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/prompts.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "driver/command_line.h"
#include "test_support.h"

namespace {

using namespace std::string_literals;

// getopt wants a mutable argv; keep the words alive for the call.
struct Argv {
  explicit Argv(std::vector<std::string> w) : words(std::move(w)) {
    for (auto& word : words) pointers.push_back(word.data());
    pointers.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(words.size()); }
  char** argv() { return pointers.data(); }
  std::vector<std::string> words;
  std::vector<char*> pointers;
};

TEST(OptionInteger, FollowsTheLeadingIntegerRule) {
  const std::pair<const char*, int> cases[] = {{"12", 12}, {"  -3x", -3}, {"abc", 0}, {"99999999999", 2147483647}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(optionInteger(text), expected) << text;
}

// -q -1 is -q 0, -Z is -D, the last -u wins, -m and -w are accepted and ignored.
TEST(CommandLine, EachPassSettlesOnlyItsOwnOptions) {
  SetupState state;
  Argv args({"setup",      "-d", "-f0",      "-S", "abc",        "-q", "-1", "-Z", "2",  "-i",
             "other.conf", "-u", "/srv/pkg", "-u", "/srv/other", "-m", "5",  "-w", "/x", "word"});
  state.queryMode = 7;
  parseFirstPass(state, args.argc(), args.argv());
  EXPECT_EQ(
      std::vector<int>({state.deinstallMode, state.allowAnyDir, state.seLinuxMode, state.queryMode, state.debugLevel}),
      std::vector<int>({1, 0, 0, 7, 0}));
  EXPECT_EQ(state.installDir, "/opt/vyr");
  parseSecondPass(state, args.argc(), args.argv());
  EXPECT_EQ(std::vector<int>({state.queryMode, state.debugLevel}), std::vector<int>({0, 2}));
  EXPECT_EQ(state.manifestName + " " + state.installDir, "other.conf /srv/other");
}

// A -u or -i argument of 255 characters fits its field; one more is never cut: the run stops at once.
TEST(CommandLineDeathTest, ArgumentsUpTo255CharactersFit) {
  for (const char* option : {"-u", "-i"}) {
    SetupState state;
    Argv fits({"setup", option, std::string(255, 'a')}), tooLong({"setup", option, std::string(256, 'a')});
    EXPECT_EXIT((parseFirstPass(state, fits.argc(), fits.argv()), std::exit(7)), testing::ExitedWithCode(7), "");
    EXPECT_EXIT(parseFirstPass(state, tooLong.argc(), tooLong.argv()), testing::ExitedWithCode(0),
                std::string("argument of ") + option + " is longer than 255");
  }
}

// Substrings first (yes words, then no words, then all words on the four-way prompt), then the first character.
TEST(ClassifyAnswer, FollowsTheRulesInOrderForBothPrompts) {
  const AnswerKind Y = kAnswerYes, N = kAnswerNo, A = kAnswerAll, B = kAnswerBreak, U = kAnswerUnrecognised;
  // answer, yes/no, four-way
  const std::tuple<const char*, AnswerKind, AnswerKind> rows[] = {
      {"y", Y, Y},     {"YES", Y, Y}, {"oui", Y, Y},  {"ja", Y, Y},     {"possibly", Y, Y}, {"o", Y, Y},
      {"s", Y, Y},     {"n", N, N},   {"nein", N, N}, {"niente", N, N}, {"no, all", N, N},  {"yes or no", Y, Y},
      {"a", U, A},     {"ALL", U, A}, {"tous", U, A}, {"todas", U, A},  {"tutti", U, A},    {"t", U, A},
      {"Break", U, B}, {"j", U, U},   {"\n", U, U},   {"", U, U},       {" y", U, U},       {"\xc3\xbf", U, U},
  };
  for (const auto& [answer, yesNo, fourWay] : rows) {
    EXPECT_EQ(classifyAnswer(answer, false), yesNo) << "yes/no: '" << answer << "'";
    EXPECT_EQ(classifyAnswer(answer, true), fourWay) << "four-way: '" << answer << "'";
  }
}

// Runs `body` in a child whose standard input and output are pipes; returns all it wrote and its exit
// status. The input is written only once `shownFirst` has arrived, so a prompt that waited for its
// answer before flushing would never finish. closedInput gives the child no standard input at all.
std::pair<std::string, int> runChild(const std::function<int()>& body, const std::string& input,
                                     const std::string& shownFirst = "", bool closedInput = false) {
  int toChild[2], fromChild[2];
  if (pipe(toChild) != 0 || pipe(fromChild) != 0) return {"<no pipe>", -1};
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(toChild[0], 0);
    if (closedInput) close(0);
    dup2(fromChild[1], 1);
    close(toChild[1]);
    close(fromChild[0]);
    int status = body();
    std::fflush(stdout);
    _exit(status);
  }
  close(toChild[0]);
  close(fromChild[1]);
  std::string shown;
  char chunk[512];
  bool written = false;
  for (ssize_t got = 1; got > 0;) {
    if (!written && shown.size() >= shownFirst.size()) {
      if (write(toChild[1], input.data(), input.size()) < 0) shown += "<write failed>";
      written = close(toChild[1]) == 0;
    }
    pollfd ready{fromChild[0], POLLIN, 0};
    got = poll(&ready, 1, 5000) > 0 ? read(fromChild[0], chunk, sizeof chunk) : 0;
    shown.append(chunk, static_cast<size_t>(std::max<ssize_t>(got, 0)));
  }
  if (!written) close(toChild[1]);  // a prompt never shown in full: the child gets end of input
  int status = 0;
  waitpid(pid, &status, 0);
  close(fromChild[0]);
  return {shown, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// One line at a time, line ends stripped but never the first character; a long line comes in pieces
// of 255 characters. An answer ends at its first NUL byte: "n\0yes" is "n", not a yes.
TEST(ReadAnswer, ReadsOneLineAtATimeIn255CharacterPieces) {
  auto readAll = [] {
    for (std::string buffer; readAnswer(buffer);) std::printf("[%s]", (buffer + "|").c_str());
    return 0;
  };
  const std::string x255(255, 'x'), x45(45, 'x');
  EXPECT_EQ(runChild(readAll, "yes\r\n\n\r\nno\n\r\n" + x255 + x45 + "\nn\0yes\r\nlast"s).first,
            "[yes|][\n|][\r|][no|][\r|][" + x255 + "|][" + x45 + "|][n|][last|]");
}

// End of input and a closed input: the prompt is shown and ends at once as Unrecognised.
TEST(PromptOnTerminal, QuestionAndHintAreShownBeforeTheAnswerIsRead) {
  const std::string question = "Do you want to update printer: 100%s? ";
  const std::string yesNo = question + "\nAnswer with y[es] or n[o], followed by <RETURN> please. ";
  const std::string fourWay = question +
                              "\nAnswer with y[es], n[o], or a[ll] = 'yes' for all printers,\n"
                              "or b[reak] for none, followed by <RETURN> please. ";
  // four-way, answer, input closed, result
  const std::tuple<bool, const char*, bool, int> cases[] = {{false, "oui\n", false, kAnswerYes},
                                                            {true, "b\n", false, kAnswerBreak},
                                                            {false, "", false, kAnswerUnrecognised},
                                                            {false, "", true, kAnswerUnrecognised}};
  for (const auto& [four, answer, closed, result] : cases) {
    // The answer kind goes out as exit status, moved past the negative Unrecognised.
    auto ask = [&, four = four] { return (four ? askYesNoAll(question) : askYesNo(question)) + 10; };
    const std::string& prompt = four ? fourWay : yesNo;
    EXPECT_EQ(runChild(ask, answer, prompt, closed), std::make_pair(prompt, result + 10)) << answer << closed;
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
