#include "discovery/scheduler_detection.h"

#include <gtest/gtest.h>

#include "core/setup_state.h"
#include "test_support.h"

namespace {

// Set but unrecognised, the first variable still hides the second, and the probe decides.
TEST(SchedulerFromEnvironment, FirstVariableSetHidesTheSecond) {
  EnvScope qix("QIXLPMODE"), orvo("ORVOLPMODE");
  struct Case {
    const char* qixLpMode;
    const char* orvoLpMode;
    int expected;
  } cases[] = {
      {"CUPS", nullptr, kSchedulerCups},     {"LPRNG", "CUPS", kSchedulerLprng},    {"LPR", nullptr, kSchedulerLpr},
      {nullptr, "LP", kSchedulerLp},         {"cups", "CUPS", kSchedulerUnknown},   {"", "CUPS", kSchedulerUnknown},
      {"CUPS ", nullptr, kSchedulerUnknown}, {nullptr, nullptr, kSchedulerUnknown},
  };
  for (const Case& c : cases) {
    qix.set(c.qixLpMode);
    orvo.set(c.orvoLpMode);
    EXPECT_EQ(schedulerFromEnvironment(), c.expected)
        << (c.qixLpMode ? c.qixLpMode : "(unset)") << " / " << (c.orvoLpMode ? c.orvoLpMode : "(unset)");
  }
}

TEST(CupsPrefixFromCommand, CutsBeforeTheSbinOrBinCupsd) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {" /usr/sbin/cupsd -f\r\n", "/usr"},
      {"/opt/cups/bin/cupsd\n", "/opt/cups"},
      {"/sbin/cupsd", ""},
      {"/usr/sbin/cupsd-wrapper /usr/bin/cupsd", "/usr"},  // /sbin/cupsd is looked for first
      {"/usr/lib/cups/cupsd -l", std::nullopt},            // neither /sbin/cupsd nor /bin/cupsd
      {"cupsd -f\n", std::nullopt},                        // no path on the process line
      {"  /usr/sbin/cupsd", std::nullopt},                 // only one leading blank is skipped
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(cupsPrefixFromCommand(text), expected) << text;
}

}  // namespace
