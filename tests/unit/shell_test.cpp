#include "base/shell.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

#include "test_support.h"

TEST(ShellWord, LeavesOrdinaryWordsAndQuotesTheRest) {
  const std::pair<const char*, const char*> cases[] = {
      {"office2", "office2"},
      {"/etc/cups/ppd/a-b_c.ppd", "/etc/cups/ppd/a-b_c.ppd"},
      {"user@host:%+=,", "user@host:%+=,"},
      {"a;touch x.ppd", "'a;touch x.ppd'"},
      {"it's", "'it'\\''s'"},
      {"$(id)", "'$(id)'"},
      {"", "''"},
  };
  for (const auto& [word, expected] : cases) EXPECT_EQ(shellWord(word), expected) << word;
}

// The raw wait status; an interrupt the shell sends its parent (as a Ctrl-C reaches the whole foreground
// group) leaves setup running with the command's own status, while the command itself stays interruptible.
TEST(RunShell, ReturnsTheRawWaitStatusAndSurvivesAnInterrupt) {
  EXPECT_EQ(runShell("exit 1"), 256);
  EXPECT_EQ(runShell("echo quoted; exit 3 # " + shellWord("a;exit 9")), 3 << 8);
  EXPECT_EQ(runShell("kill -INT $PPID; exit 3"), 3 << 8);
  int status = runShell("kill -INT $$; exit 0");
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
}

// The shell's background child must end with it: within a second of the limit it is gone.
TEST(RunShell, TimeLimitEndsTheWholeProcessGroup) {
  ScratchDir dir;
  auto start = std::chrono::steady_clock::now();
  int status = runShell("sleep 30 & echo $! >" + shellWord(dir / "pid") + "; wait", 1);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  std::string pid = readFile(dir / "pid");
  ASSERT_FALSE(pid.empty());
  auto running = [&] {
    std::ifstream stat("/proc/" + pid.substr(0, pid.find('\n')) + "/stat");
    std::string ignored, name, state;
    return stat >> ignored >> name >> state && state != "Z";
  };
  for (int tries = 0; tries < 100 && running(); ++tries) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(running()) << "the background sleep outlived the time limit";
}
