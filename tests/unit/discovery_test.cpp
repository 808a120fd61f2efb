// What setup reads from the machine: the scheduler, the CUPS version, commands to run, SELinux labels.
#include <gtest/gtest.h>

#include "base/temp_file.h"
#include "base/text.h"
#include "core/setup_state.h"
#include "core/tmp_name.h"
#include "discovery/command_locator.h"
#include "discovery/cups_version.h"
#include "discovery/scheduler_detection.h"
#include "discovery/selinux_support.h"
#include "queues/ppd_locations.h"
#include "test_support.h"

namespace {

// Set but unrecognised, the first variable still hides the second, and the probe decides.
TEST(SchedulerFromEnvironment, FirstVariableSetHidesTheSecond) {
  EnvScope qix("QIXLPMODE"), orvo("ORVOLPMODE");
  const std::tuple<const char*, const char*, int> cases[] = {
      {"CUPS", nullptr, kSchedulerCups},     {"LPRNG", "CUPS", kSchedulerLprng},   {"LPR", nullptr, kSchedulerLpr},
      {nullptr, "LP", kSchedulerLp},         {"cups", "CUPS", kSchedulerUnknown},  {"", "CUPS", kSchedulerUnknown},
      {"CUPS ", nullptr, kSchedulerUnknown}, {nullptr, nullptr, kSchedulerUnknown}};
  for (const auto& [qixLpMode, orvoLpMode, expected] : cases) {
    qix.set(qixLpMode);
    orvo.set(orvoLpMode);
    EXPECT_EQ(schedulerFromEnvironment(), expected) << (qixLpMode ? qixLpMode : "-") << (orvoLpMode ? orvoLpMode : "-");
  }
}

// /sbin/cupsd is looked for before /bin/cupsd; only one leading blank is skipped.
TEST(CupsPrefixFromCommand, CutsBeforeTheSbinOrBinCupsd) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {" /usr/sbin/cupsd -f\r\n", "/usr"},
      {"/opt/cups/bin/cupsd\n", "/opt/cups"},
      {"/sbin/cupsd", ""},
      {"/usr/sbin/cupsd-wrapper /usr/bin/cupsd", "/usr"},
      {"/usr/lib/cups/cupsd -l", std::nullopt},
      {"cupsd -f\n", std::nullopt},
      {"  /usr/sbin/cupsd", std::nullopt}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(cupsPrefixFromCommand(text), expected) << text;
}

// The name is always dir + "/QIX" + six characters, one "/" whatever the caller wrote; the file is
// there, empty and private. A directory where nothing can be made ends the process with -1.
TEST(MyTmpNameDeathTest, MakesAnEmptyPrivateFileUnderTheDirectory) {
  ScratchDir dir;
  for (const std::string& given : {dir.path(), dir.path() + "/"}) {
    std::string name = myTmpName(given, "QIX");
    TempFileGuard guard(name);
    EXPECT_EQ(name.size(), dir.path().size() + 10) << name;
    EXPECT_EQ(name.substr(0, dir.path().size() + 4), dir.path() + "/QIX");
    EXPECT_EQ(std::make_pair(modeOf(name), readFile(name)), std::make_pair(0600, std::string()));
  }
  EXPECT_EXIT(myTmpName(dir / "missing/", nullptr), testing::ExitedWithCode(255),
              "myTmpName\\(" + dir.path() + "/missing/,QIX\\) Failed!");
}

// 23 digits are collected, the rest ignored; the value keeps the leading digits that decide the version.
TEST(CupsVersion, CollectsDigitsAndScalesIntoFourDigits) {
  const std::pair<int, int> scaled[] = {{24, 2400},   {9, 9000},     {999, 9990},       {1000, 1000},
                                        {9999, 9999}, {10000, 1000}, {2147483647, 2147}};
  for (const auto& [n, expected] : scaled) EXPECT_EQ(normaliseVersion(n), expected) << n;
  const std::pair<const char*, int> collected[] = {{"2.4.2\n", 242},
                                                   {"..1..3", 13},
                                                   {"2.4b1", 24},
                                                   {" 2.4", 0},
                                                   {"v2.4", 0},
                                                   {"", 0},
                                                   {"1.2.3.4.5.6.7.8.9.0.1.2.3.4.5.6.7.8.9.0.1.2.3.9.9", 123456789}};
  for (const auto& [text, expected] : collected) EXPECT_EQ(collectVersionNumber(text), expected) << text;
  EXPECT_EQ(normaliseVersion(collectVersionNumber("24212345678901234567890999")), 2421);
}

// Server lines: no "/" after CUPS ends the version at once; a line without "Server: CUPS" names none.
TEST(ServerHeaderVersion, ScalesTheCupsVersionOfTheServerLine) {
  const std::pair<const char*, std::optional<int>> cases[] = {{"Server: CUPS/2.4 IPP/2.1\r\n", 240},
                                                              {"Server: CUPS/123\r\n", 123},
                                                              {"Server: CUPS 1.2\r\n", 0},
                                                              {"Server: Apache/2.4\r\n", std::nullopt},
                                                              {"X-CUPS: 2.4\r\n", std::nullopt}};
  for (const auto& [line, expected] : cases) EXPECT_EQ(serverHeaderVersion(line), expected) << line;
  EXPECT_GT(*serverHeaderVersion("Server: CUPS/9999999999999999999999999999999"), 0);
}

// Each installed file has its phrase; in index.html only spaces are skipped before the version.
TEST(VersionInLine, EachFileHasItsPhrase) {
  using enum VersionFile;
  const std::tuple<VersionFile, const char*, std::optional<int>> cases[] = {
      {kPrintersConf, "# Printer configuration file for CUPS v1.4.3\n", 143},
      {kPrintersConf, "# Written by cupsd v2.4 Printer configuration\n", std::nullopt},
      {kIndexHtml, "<HEAD><TITLE>CUPS   1.3.7</TITLE>\n", 137},
      {kIndexHtml, "<TITLE>CUPS\t1.3</TITLE>\n", 0},
      {kIndexHtml, "<title>CUPS 1.3</title>\n", std::nullopt},
      {kTestPagePs, "(Printed Using CUPS v1.1.23) show\n", 1123},
      {kTestPageText, "This page was PRODUCED BY cups \tV1.2.4\n", 124},
      {kTestPageText, "produced by CUPS", 0},
      {kTestPageText, "made by CUPS v1.2", std::nullopt}};
  for (const auto& [file, line, expected] : cases) EXPECT_EQ(versionInLine(file, line), expected) << line;
}

// A candidate that does not fit the locator's buffer is skipped, never cut to a shorter path.
TEST(FindCupsCommand, SkipsCandidatesLongerThanTheirBuffer) {
  ScratchDir root;
  const std::string shortDir = root / "short", longDir = root / std::string(240, 'd');
  for (const std::string& dir : {shortDir, longDir}) writeFile(dir + "/bin/orvo-tool", "");
  SetupState state;
  state.cupsBinDir = shortDir;
  EXPECT_EQ(findCupsCommand(state, "orvo-tool"), shortDir + "/bin/orvo-tool");
  state.cupsBinDir = longDir;
  EXPECT_EQ(findCupsCommand(state, "orvo-tool"), "orvo-tool");
}

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
  EXPECT_FALSE(pathExists(dir / "args"));
  state.commands.chcon = chcon;
  EXPECT_EQ(chconPath(state, "/opt/vyr/a b;touch x", "-R -u system_u"), 256);
  EXPECT_EQ(readFile(dir / "args"), "-R -u system_u /opt/vyr/a b;touch x\n");
  EXPECT_EQ(log.text(),
            "chcon SELinux for: \"" + chcon + " -R -u system_u '/opt/vyr/a b;touch x' 2>/dev/null\": result: 256\n");
}

// The directory test the probes of the PPD trees are built on: links followed, everything else rejected.
TEST(IsDirectoryTest, FollowsLinksAndRejectsEverythingElse) {
  ScratchDir root;
  writeFile(root / "file", "x");
  fs::create_directory_symlink(root.path(), root / "dirlink");
  fs::create_symlink(root / "file", root / "filelink");
  fs::create_symlink(root / "gone", root / "dangling");
  fs::create_directory(root / "locked");
  chmod((root / "locked").c_str(), 0);
  const std::pair<std::string, int> cases[] = {
      {root / "dirlink", 1},  {root.path() + "/", 1}, {root / "locked", 1},   {root / "file", 0},
      {root / "filelink", 0}, {root / "dangling", 0}, {root / "file/sub", 0}, {"", 0}};
  for (const auto& [path, expected] : cases) EXPECT_EQ(isDirectory(path), expected) << path;
  chmod((root / "locked").c_str(), 0700);
}

}  // namespace
