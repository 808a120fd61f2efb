#include "discovery/command_locator.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "driver/setup_state.h"

namespace {

namespace fs = std::filesystem;

// A candidate that does not fit the locator's buffer is skipped, never cut to a shorter path.
TEST(FindCupsCommand, SkipsCandidatesLongerThanTheirBuffer) {
  fs::path root = fs::path(testing::TempDir()) / ("locator" + std::to_string(getpid()));
  fs::path shortDir = root / "short";
  fs::path longDir = root / std::string(240, 'd');
  for (const fs::path& dir : {shortDir, longDir}) {
    fs::create_directories(dir / "bin");
    std::ofstream(dir / "bin" / "orvo-tool") << "";
  }
  SetupState state;
  state.cupsBinDir = shortDir.string();
  EXPECT_EQ(findCupsCommand(state, "orvo-tool"), (shortDir / "bin" / "orvo-tool").string());
  state.cupsBinDir = longDir.string();  // longDir/bin/orvo-tool is over 264 characters
  ASSERT_GT((longDir / "bin" / "orvo-tool").string().size(), 264u);
  EXPECT_EQ(findCupsCommand(state, "orvo-tool"), "orvo-tool");
  fs::remove_all(root);
}

}  // namespace
