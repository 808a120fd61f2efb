// What setup reads from the machine: the scheduler, the CUPS version, temporary names, SELinux labels.
#include <gtest/gtest.h>

#include "core/tmp_name.h"
#include "discovery/cups_version.h"
#include "discovery/scheduler_detection.h"
#include "discovery/selinux_support.h"
#include "test_support.h"

namespace {

// Set but unrecognised, the first variable still hides the second, and the probe decides.
TEST(SchedulerFromEnvironment, FirstVariableSetHidesTheSecond) {
  EnvScope qix("QIXLPMODE"), orvo("ORVOLPMODE");
  const std::tuple<const char*, const char*, int> cases[] = {
      {"CUPS", nullptr, kSchedulerCups}, {"LPRNG", "CUPS", kSchedulerLprng},  {"LPR", nullptr, kSchedulerLpr},
      {nullptr, "LP", kSchedulerLp},     {"cups", "CUPS", kSchedulerUnknown}, {"", "CUPS", kSchedulerUnknown}};
  for (const auto& [qixLpMode, orvoLpMode, expected] : cases) {
    qix.set(qixLpMode);
    orvo.set(orvoLpMode);
    EXPECT_EQ(schedulerFromEnvironment(), expected) << (qixLpMode ? qixLpMode : "-") << (orvoLpMode ? orvoLpMode : "-");
  }
}

// /sbin/cupsd is looked for before /bin/cupsd; one leading blank is skipped.
TEST(CupsPrefixFromCommand, CutsBeforeTheSbinOrBinCupsd) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"/opt/cups/bin/cupsd", "/opt/cups"},
      {"/sbin/cupsd", ""},
      {"/usr/sbin/cupsd-wrapper /usr/bin/cupsd", "/usr"},
      {"/usr/lib/cups/cupsd -l", {}},
      {" /usr/sbin/cupsd -f", "/usr"}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(cupsPrefixFromCommand(text), expected) << text;
}

// The name is dir + "/QIX" + six characters, one "/" whatever the caller wrote; the file is private.
TEST(MyTmpName, MakesAPrivateFileUnderTheDirectory) {
  ScratchDir dir;
  for (const std::string& given : {dir.path(), dir.path() + "/"}) {
    const std::string name = myTmpName(given, "QIX");
    EXPECT_EQ(std::pair(name.substr(0, name.size() - 6), modeOf(name)), std::pair(dir.path() + "/QIX", 0600)) << name;
  }
}

// 23 digits are collected, the rest ignored; the value keeps the leading digits that decide the version.
TEST(CupsVersion, CollectsDigitsAndScalesIntoFourDigits) {
  const std::pair<int, int> scaled[] = {{9, 9000}, {999, 9990}, {1000, 1000}, {2147483647, 2147}};
  for (const auto& [n, expected] : scaled) EXPECT_EQ(normaliseVersion(n), expected) << n;
  const std::pair<const char*, int> collected[] = {
      {"2.4.2\n", 242}, {"..1..3", 13}, {"2.4b1", 24}, {" 2.4", 0}, {"", 0}, {"1234567890123456789012399", 123456789}};
  for (const auto& [text, expected] : collected) EXPECT_EQ(collectVersionNumber(text), expected) << text;
}

// Server lines: no "/" after CUPS ends the version at once; a line without "Server: CUPS" names none.
TEST(ServerHeaderVersion, ScalesTheCupsVersionOfTheServerLine) {
  const std::pair<const char*, std::optional<int>> cases[] = {{"Server: CUPS/123", 123},
                                                              {"Server: CUPS 1.2", 0},
                                                              {"Server: Apache/2.4", {}},
                                                              {"Server: CUPS/2.4 IPP/2.1", 240}};
  for (const auto& [line, expected] : cases) EXPECT_EQ(serverHeaderVersion(line), expected) << line;
  EXPECT_GT(*serverHeaderVersion("Server: CUPS/9999999999999999999999999999999"), 0);
}

// Each installed file has its phrase; in index.html only spaces are skipped before the version.
TEST(VersionInLine, EachFileHasItsPhrase) {
  using enum VersionFile;
  const std::tuple<VersionFile, const char*, std::optional<int>> cases[] = {
      {kPrintersConf, "# Printer configuration file for CUPS v1.4.3", 143},
      {kIndexHtml, "<HEAD><TITLE>CUPS   1.3.7</TITLE>", 137},
      {kIndexHtml, "<TITLE>CUPS\t1.3</TITLE>", 0},
      {kIndexHtml, "<title>CUPS 1.3</title>", std::nullopt},
      {kTestPagePs, "(Printed Using CUPS v1.1.23) show", 1123},
      {kTestPageText, "This page was PRODUCED BY cups \tV1.2.4", 124}};

  for (const auto& [file, line, expected] : cases) EXPECT_EQ(versionInLine(file, line), expected) << line;
}

// Only an absolute chcon runs (a bare name gives -1, logged nothing); the path comes from the machine and is
// quoted, the status is the raw wait status.
TEST(ChconPath, RunsOnlyAnAbsoluteChconAndQuotesThePath) {
  ScratchDir dir;
  const std::string chcon = dir / "chcon";  // records its arguments and fails as it does without SELinux
  writeFile(chcon, "#!/bin/sh\necho \"$@\" >" + (dir / "args") + "\nexit 1\n", 0755);
  SetupState state;
  LogCapture log(state);
  state.commands.chcon = "chcon";
  EXPECT_EQ(chconPath(state, "/opt/vyr/bin", "-R -u system_u"), -1);
  state.commands.chcon = chcon;
  EXPECT_EQ(chconPath(state, "/opt/vyr/a b;touch x", "-R -u system_u"), 256);
  EXPECT_EQ(readFile(dir / "args"), "-R -u system_u /opt/vyr/a b;touch x\n");
  EXPECT_EQ(log.text(),
            "chcon SELinux for: \"" + chcon + " -R -u system_u '/opt/vyr/a b;touch x' 2>/dev/null\": result: 256\n");
}

}  // namespace
