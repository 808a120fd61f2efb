#include "driver/prompts.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdio_ext.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct AnswerRow {
  const char* answer;
  AnswerKind yesNo;
  AnswerKind fourWay;
};

TEST(ClassifyAnswer, FollowsTheRulesInOrderForBothPrompts) {
  const AnswerKind Y = kAnswerYes, N = kAnswerNo, A = kAnswerAll, B = kAnswerBreak, U = kAnswerUnrecognised;
  const AnswerRow rows[] = {
      {"y", Y, Y},   {"Y", Y, Y},     {"yes", Y, Y},    {"YES", Y, Y},      {"oui", Y, Y},     {"ja", Y, Y},
      {"si", Y, Y},  {"s", Y, Y},     {"o", Y, Y},      {"ok", Y, Y},       {"n", N, N},       {"no", N, N},
      {"non", N, N}, {"nein", N, N},  {"niente", N, N}, {"nope", N, N},     {"no, all", N, N}, {"yes or no", Y, Y},
      {"a", U, A},   {"all", U, A},   {"tous", U, A},   {"todas", U, A},    {"tutti", U, A},   {"t", U, A},
      {"b", U, B},   {"break", U, B}, {"j", U, U},      {"\n", U, U},       {"", U, U},        {"possibly", Y, Y},
      {"ALL", U, A}, {"Break", U, B}, {" y", U, U},     {"\xc3\xbf", U, U},
  };
  for (const AnswerRow& row : rows) {
    EXPECT_EQ(classifyAnswer(row.answer, false), row.yesNo) << "yes/no: '" << row.answer << "'";
    EXPECT_EQ(classifyAnswer(row.answer, true), row.fourWay) << "four-way: '" << row.answer << "'";
  }
}

// Puts a file (or nothing) behind standard input for one test and restores it afterwards.
class StdinTest : public ::testing::Test {
 protected:
  void SetUp() override { savedStdin_ = dup(0); }
  void TearDown() override {
    __fpurge(stdin);
    dup2(savedStdin_, 0);
    close(savedStdin_);
    clearerr(stdin);
  }
  void feed(const std::string& text) {
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fflush(file);
    lseek(fileno(file), 0, SEEK_SET);
    dup2(fileno(file), 0);
    std::fclose(file);
    __fpurge(stdin);
    clearerr(stdin);
  }
  std::vector<std::string> readAll() {
    std::vector<std::string> answers;
    std::string buffer;
    while (answers.size() < 20 && readAnswer(buffer)) answers.push_back(buffer);
    return answers;
  }
  int savedStdin_ = -1;
};

TEST_F(StdinTest, ReadsOneLineAtATimeStrippingLineEndsButNeverTheFirstCharacter) {
  feed("yes\r\n\n\r\nno\n\r\n\nlast");
  EXPECT_EQ(readAll(), (std::vector<std::string>{"yes", "\n", "\r", "no", "\r", "\n", "last"}));
}

TEST_F(StdinTest, LongLineIsTakenInPiecesOf255Characters) {
  feed(std::string(300, 'x') + "\nn\n");
  std::vector<std::string> answers = readAll();
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(answers[0], std::string(255, 'x'));
  EXPECT_EQ(answers[1], std::string(45, 'x'));
  EXPECT_EQ(answers[2], "n");
}

// Runs a prompt in a child whose standard input and output are pipes. The answer is written only
// after the whole prompt has arrived, so a prompt that waits before flushing would never finish.
struct PromptRun {
  std::string shown;
  int result = -99;
};

PromptRun runPrompt(bool fourWay, const std::string& question, const std::string& answer,
                    const std::string& expectedPrompt, bool closedInput = false) {
  int toChild[2], fromChild[2];
  if (pipe(toChild) != 0 || pipe(fromChild) != 0) return {};
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(toChild[0], 0);
    if (closedInput) close(0);
    dup2(fromChild[1], 1);
    close(toChild[1]);
    close(fromChild[0]);
    AnswerKind kind = fourWay ? askYesNoAll(question) : askYesNo(question);
    std::fflush(stdout);
    _exit(kind + 10);
  }
  close(toChild[0]);
  close(fromChild[1]);
  PromptRun run;
  char chunk[512];
  while (run.shown.size() < expectedPrompt.size()) {
    pollfd ready{fromChild[0], POLLIN, 0};
    if (poll(&ready, 1, 5000) <= 0) break;
    ssize_t got = read(fromChild[0], chunk, sizeof chunk);
    if (got <= 0) break;
    run.shown.append(chunk, static_cast<size_t>(got));
  }
  if (write(toChild[1], answer.data(), answer.size()) < 0) run.shown += "<write failed>";
  close(toChild[1]);
  int status = 0;
  waitpid(pid, &status, 0);
  close(fromChild[0]);
  if (WIFEXITED(status)) run.result = WEXITSTATUS(status) - 10;
  return run;
}

TEST(PromptOnTerminal, QuestionAndHintAreShownBeforeTheAnswerIsRead) {
  const std::string question = "Do you want to update printer: 100%s? ";
  const std::string yesNoPrompt = question + "\nAnswer with y[es] or n[o], followed by <RETURN> please. ";
  PromptRun yesNo = runPrompt(false, question, "oui\n", yesNoPrompt);
  EXPECT_EQ(yesNo.shown, yesNoPrompt);
  EXPECT_EQ(yesNo.result, kAnswerYes);

  const std::string fourWayPrompt = question +
                                    "\nAnswer with y[es], n[o], or a[ll] = 'yes' for all printers,\n"
                                    "or b[reak] for none, followed by <RETURN> please. ";
  PromptRun fourWay = runPrompt(true, question, "b\n", fourWayPrompt);
  EXPECT_EQ(fourWay.shown, fourWayPrompt);
  EXPECT_EQ(fourWay.result, kAnswerBreak);

  // End of input and a closed input: the prompt is shown and ends at once as Unrecognised.
  for (bool closedInput : {false, true}) {
    PromptRun run = runPrompt(false, question, "", yesNoPrompt, closedInput);
    EXPECT_EQ(run.shown, yesNoPrompt);
    EXPECT_EQ(run.result, kAnswerUnrecognised) << "closed: " << closedInput;
  }
}

}  // namespace
