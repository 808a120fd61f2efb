#include "driver/run_log.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>
#include <sstream>

#include "base/format.h"
#include "driver/setup_state.h"

namespace {

class RunLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::TempDir() + "run_log_test" + std::to_string(getpid()) + ".log";
    state_.logFile = std::fopen(path_.c_str(), "w");
    ASSERT_NE(state_.logFile, nullptr);
    state_.logIsOpen = 1;
  }
  void TearDown() override {
    if (state_.logFile) std::fclose(state_.logFile);
    std::remove(path_.c_str());
  }
  // The file as it stands now: logLine flushes, so nothing is held back.
  std::string contents() {
    std::ifstream in(path_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  SetupState state_;
  std::string path_;
};

TEST_F(RunLogTest, WritesTextsLiterallyWithExactlyOneLineEnd) {
  EXPECT_EQ(logLine(state_, "no line end"), 1);
  EXPECT_EQ(logLine(state_, "has one\n"), 1);
  EXPECT_EQ(logLine(state_, ""), 0);
  EXPECT_EQ(logLine(state_, "100%s %d %n"), 1);
  EXPECT_EQ(contents(), "no line end\nhas one\n100%s %d %n\n");
}

TEST_F(RunLogTest, ClosingLineEndsTheLog) {
  logLine(state_, "step");
  EXPECT_EQ(closeRunLog(state_), 1);
  EXPECT_EQ(state_.logFile, nullptr);
  std::string text = contents();
  ASSERT_EQ(text.rfind("step\nFinishing Orvo 4.0-0 installation : ", 0), 0u) << text;
  // "Sun Dec  6 02:21:39 2026\n": 24 characters and the line end.
  EXPECT_EQ(text.size() - text.find(" : ") - 3, 25u);
}

TEST(RunLogNotOpen, NoClosingLineWithoutAnOpenLog) {
  SetupState state;
  EXPECT_EQ(closeRunLog(state), 1);
  EXPECT_EQ(state.logFile, nullptr);
}

}  // namespace
