#include "discovery/command_locator.h"

#include <gtest/gtest.h>

#include "core/setup_state.h"
#include "test_support.h"

namespace {

// A candidate that does not fit the locator's buffer is skipped, never cut to a shorter path.
TEST(FindCupsCommand, SkipsCandidatesLongerThanTheirBuffer) {
  ScratchDir root;
  const std::string shortDir = root / "short", longDir = root / std::string(240, 'd');
  for (const std::string& dir : {shortDir, longDir}) writeFile(dir + "/bin/orvo-tool", "");
  SetupState state;
  state.cupsBinDir = shortDir;
  EXPECT_EQ(findCupsCommand(state, "orvo-tool"), shortDir + "/bin/orvo-tool");
  state.cupsBinDir = longDir;
  ASSERT_GT((longDir + "/bin/orvo-tool").size(), 264u);
  EXPECT_EQ(findCupsCommand(state, "orvo-tool"), "orvo-tool");
}

}  // namespace
