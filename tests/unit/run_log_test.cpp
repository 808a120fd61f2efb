#include "core/run_log.h"

#include <gtest/gtest.h>

#include "core/setup_state.h"
#include "test_support.h"

namespace {

// The opening block, the closing line and the log that cannot be opened are shown in the sandbox scenarios.
TEST(RunLog, WritesTextsLiterallyWithExactlyOneLineEnd) {
  SetupState state;
  LogCapture log(state);
  EXPECT_EQ(logLine(state, "no line end") + logLine(state, "has one\n") + logLine(state, "100%s %d %n"), 3);
  EXPECT_EQ(logLine(state, ""), 0);
  EXPECT_EQ(log.text(), "no line end\nhas one\n100%s %d %n\n");
}

}  // namespace
