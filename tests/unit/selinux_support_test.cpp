#include "discovery/selinux_support.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "driver/setup_state.h"
#include "test_support.h"

namespace {

using namespace testsupport;

// A chcon that records its arguments and fails as the real one does without SELinux.
class ChconPathTest : public ::testing::Test {
 protected:
  void SetUp() override { writeFile(chcon_, "#!/bin/sh\necho \"$@\" >" + (dir_ / "args") + "\nexit 1\n", 0755); }
  ScratchDir dir_;
  std::string chcon_ = dir_ / "chcon";
  SetupState state_;
  LogCapture log_{state_};
};

// The path comes from the machine and is quoted; the status is the raw wait status.
TEST_F(ChconPathTest, RunsChconAndLogsTheRawStatus) {
  state_.commands.chcon = chcon_;
  EXPECT_EQ(chconPath(state_, "/opt/vyr/a b;touch x", "-R -u system_u"), 256);
  EXPECT_EQ(readFile(dir_ / "args"), "-R -u system_u /opt/vyr/a b;touch x\n");
  EXPECT_EQ(log_.text(),
            "chcon SELinux for: \"" + chcon_ + " -R -u system_u '/opt/vyr/a b;touch x' 2>/dev/null\": result: 256\n");
}

TEST_F(ChconPathTest, NothingWithoutAnAbsoluteChcon) {
  for (std::optional<std::string> chcon : {std::optional<std::string>(), std::optional<std::string>("chcon")}) {
    state_.commands.chcon = chcon;
    EXPECT_EQ(chconPath(state_, "/opt/vyr/bin", "-R -u system_u"), -1);
  }
  EXPECT_EQ(log_.text(), "");
  EXPECT_FALSE(pathExists(dir_ / "args"));
}

}  // namespace
