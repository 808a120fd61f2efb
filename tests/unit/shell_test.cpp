#include "base/shell.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>

TEST(ShellWord, LeavesOrdinaryWordsAndQuotesTheRest) {
  struct Case {
    const char* word;
    const char* expected;
  } cases[] = {
      {"office2", "office2"},
      {"/etc/cups/ppd/a-b_c.ppd", "/etc/cups/ppd/a-b_c.ppd"},
      {"user@host:%+=,", "user@host:%+=,"},
      {"a;touch x.ppd", "'a;touch x.ppd'"},
      {"it's", "'it'\\''s'"},
      {"$(id)", "'$(id)'"},
      {"", "''"},
  };
  for (const Case& c : cases) EXPECT_EQ(shellWord(c.word), c.expected) << c.word;
}

TEST(RunShell, ReturnsTheRawWaitStatus) {
  EXPECT_EQ(runShell("exit 0"), 0);
  EXPECT_EQ(runShell("exit 1"), 256);
  EXPECT_EQ(runShell("echo quoted; exit 3 # " + shellWord("a;exit 9")), 3 << 8);
}

TEST(RunShell, TimeLimitEndsTheWholeProcessGroup) {
  auto start = std::chrono::steady_clock::now();
  // The grandchild holds the pipe open; only killing the group lets the call return.
  int status = runShell("sleep 30 & sleep 30; wait", 1);
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

TEST(RunShell, AnInterruptDuringACommandIsTheCommandsAlone) {
  // The shell interrupts its parent, as a Ctrl-C reaches the whole foreground group; setup must
  // survive it and get the command's own status, while the command itself is interruptible.
  EXPECT_EQ(runShell("kill -INT $PPID; exit 3"), 3 << 8);
  int status = runShell("kill -INT $$; exit 0");
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
}
