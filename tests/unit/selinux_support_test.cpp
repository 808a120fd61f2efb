#include "discovery/selinux_support.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "core/setup_state.h"
#include "test_support.h"

namespace {

// Only an absolute chcon runs; the path comes from the machine and is quoted, the status is the raw wait status.
TEST(ChconPath, RunsOnlyAnAbsoluteChconAndQuotesThePath) {
  ScratchDir dir;
  const std::string chcon = dir / "chcon";  // records its arguments and fails as it does without SELinux
  writeFile(chcon, "#!/bin/sh\necho \"$@\" >" + (dir / "args") + "\nexit 1\n", 0755);
  SetupState state;
  LogCapture log(state);
  for (std::optional<std::string> none : {std::optional<std::string>(), std::optional<std::string>("chcon")}) {
    state.commands.chcon = none;
    EXPECT_EQ(chconPath(state, "/opt/vyr/bin", "-R -u system_u"), -1);
  }
  EXPECT_EQ(log.text(), "");
  EXPECT_FALSE(pathExists(dir / "args"));

  state.commands.chcon = chcon;
  EXPECT_EQ(chconPath(state, "/opt/vyr/a b;touch x", "-R -u system_u"), 256);
  EXPECT_EQ(readFile(dir / "args"), "-R -u system_u /opt/vyr/a b;touch x\n");
  EXPECT_EQ(log.text(),
            "chcon SELinux for: \"" + chcon + " -R -u system_u '/opt/vyr/a b;touch x' 2>/dev/null\": result: 256\n");
}

}  // namespace
