#include "base/shell.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>

TEST(ShellWord, LeavesOrdinaryWordsAndQuotesTheRest) {
  const std::pair<const char*, const char*> cases[] = {{"/etc/a-b_c.ppd@h:%+=,", "/etc/a-b_c.ppd@h:%+=,"},
                                                       {"a;touch $(id)", "'a;touch $(id)'"},
                                                       {"it's", "'it'\\''s'"},
                                                       {"", "''"}};
  for (const auto& [word, expected] : cases) EXPECT_EQ(shellWord(word), expected) << word;
}

// The raw wait status; an interrupt the shell sends its parent (as a Ctrl-C reaches the whole foreground
// group) leaves setup running with the command's own status, while the command itself stays interruptible.
TEST(RunShell, ReturnsTheRawWaitStatusAndSurvivesAnInterrupt) {
  EXPECT_EQ(runShell("echo quoted; exit 3 # " + shellWord("a;exit 9")), 3 << 8);
  EXPECT_EQ(runShell("kill -INT $PPID; exit 3"), 3 << 8);
  int status = runShell("kill -INT $$; exit 0");
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
}
