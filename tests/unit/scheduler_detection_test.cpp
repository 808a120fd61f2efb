#include "discovery/scheduler_detection.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "driver/setup_state.h"

namespace {

// Sets or unsets the two variables for one case and restores what the process had afterwards.
class SchedulerEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  void TearDown() override {
    for (size_t i = 0; i < 2; ++i) set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }
  static void set(const char* name, const char* value) {
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  static constexpr const char* kNames[] = {"QIXLPMODE", "ORVOLPMODE"};
  std::vector<std::optional<std::string>> saved_;
};

TEST_F(SchedulerEnvironment, FirstVariableSetHidesTheSecond) {
  struct Case {
    const char* qixLpMode;
    const char* orvoLpMode;
    int expected;
  } cases[] = {
      {"CUPS", nullptr, kSchedulerCups},     {"LPRNG", "CUPS", kSchedulerLprng},
      {"LPR", nullptr, kSchedulerLpr},       {nullptr, "LP", kSchedulerLp},
      {"cups", "CUPS", kSchedulerUnknown},  // set but unrecognised: the probe decides
      {"", "CUPS", kSchedulerUnknown},       {"CUPS ", nullptr, kSchedulerUnknown},
      {nullptr, "LPRng", kSchedulerUnknown}, {nullptr, nullptr, kSchedulerUnknown},
  };
  for (const Case& c : cases) {
    set("QIXLPMODE", c.qixLpMode);
    set("ORVOLPMODE", c.orvoLpMode);
    EXPECT_EQ(schedulerFromEnvironment(), c.expected)
        << (c.qixLpMode ? c.qixLpMode : "(unset)") << " / " << (c.orvoLpMode ? c.orvoLpMode : "(unset)");
  }
}

TEST(CupsPrefixFromCommand, CutsBeforeTheSbinOrBinCupsd) {
  struct Case {
    const char* text;
    std::optional<std::string> expected;
  } cases[] = {
      {"/usr/sbin/cupsd -l\n", "/usr"},
      {" /usr/sbin/cupsd -f\r\n", "/usr"},
      {"/opt/cups/bin/cupsd\n", "/opt/cups"},
      {"/sbin/cupsd", ""},
      {"/usr/sbin/cupsd-wrapper /usr/bin/cupsd", "/usr"},  // /sbin/cupsd is looked for first
      {"/usr/lib/cups/cupsd -l", std::nullopt},            // neither /sbin/cupsd nor /bin/cupsd
      {"cupsd -f\n", std::nullopt},                        // no path on the process line
      {"  /usr/sbin/cupsd", std::nullopt},                 // only one leading blank is skipped
      {"/usr/sbin/lpd\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(cupsPrefixFromCommand(c.text), c.expected) << c.text;
}

}  // namespace
