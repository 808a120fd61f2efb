#include "discovery/cups_version.h"

#include <gtest/gtest.h>

#include "base/temp_file.h"
#include "test_support.h"

namespace {

using namespace testsupport;

// The name is always dir + "/QIX" + six characters, one "/" whatever the caller wrote; the file is
// there, empty and private. A directory where nothing can be made ends the process with -1.
TEST(MyTmpNameDeathTest, MakesAnEmptyPrivateFileUnderTheDirectory) {
  ScratchDir dir;
  for (const std::string& given : {dir.path(), dir.path() + "/"}) {
    std::string name = myTmpName(given, "QIX");
    TempFileGuard guard(name);
    ASSERT_EQ(name.size(), dir.path().size() + 10) << name;
    EXPECT_EQ(name.substr(0, dir.path().size() + 4), dir.path() + "/QIX");
    EXPECT_EQ(modeOf(name), 0600);
    EXPECT_EQ(readFile(name), "");
  }
  EXPECT_EXIT(myTmpName(dir / "missing/", nullptr), testing::ExitedWithCode(255),
              "myTmpName\\(" + dir.path() + "/missing/,QIX\\) Failed!");
}

TEST(NormaliseVersion, ScalesIntoFourDigits) {
  struct Case {
    int n, expected;
  } cases[] = {
      {140, 1400},  {24, 2400},    {9, 9000},     {1000, 1000}, {2420, 2420},
      {9999, 9999}, {10000, 1000}, {24212, 2421}, {999, 9990},  {2147483647, 2147},
  };
  for (const Case& c : cases) EXPECT_EQ(normaliseVersion(c.n), c.expected) << c.n;
}

TEST(CollectVersionNumber, JoinsDigitsDropsDotsStopsAtAnythingElse) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"2.4.2\n", 242},
      {"1.4", 14},
      {"1.0.0", 100},
      {"2.4b1", 24},
      {"..1..3", 13},
      {" 2.4", 0},  // a blank before the digits ends the number at once
      {"v2.4", 0},
      {"", 0},
      {"007", 7},
      // 23 digits are collected, the rest ignored; the value keeps the leading digits that decide the version.
      {"1.2.3.4.5.6.7.8.9.0.1.2.3.4.5.6.7.8.9.0.1.2.3.9.9", 123456789},
      {"24212345678901234567890", 242123456},
  };
  for (const Case& c : cases) EXPECT_EQ(collectVersionNumber(c.text), c.expected) << c.text;
  EXPECT_EQ(normaliseVersion(collectVersionNumber("24212345678901234567890999")), 2421);
}

// CUPS/1.4, CUPS/25 and a line ending after "CUPS" are shown in the sandbox scenarios.
TEST(ServerHeaderVersion, ScalesTheCupsVersionOfTheServerLine) {
  struct Case {
    const char* line;
    std::optional<int> expected;
  } cases[] = {
      {"Server: CUPS/2.4 IPP/2.1\r\n", 240}, {"Server: CUPS/123\r\n", 123},
      {"Server: CUPS 1.2\r\n", 0},  // no "/": the blank ends the version at once
      {"Server: CUPS/2.4.2\n", 240},         {"Server: Apache/2.4\r\n", std::nullopt},
      {"X-CUPS: 2.4\r\n", std::nullopt},     {"HTTP/1.1 200 OK\r\n", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(serverHeaderVersion(c.line), c.expected) << c.line;
  EXPECT_GT(*serverHeaderVersion("Server: CUPS/9999999999999999999999999999999"), 0);
}

TEST(VersionInLine, EachFileHasItsPhrase) {
  struct Case {
    VersionFile file;
    const char* line;
    std::optional<int> expected;
  } cases[] = {
      {VersionFile::kPrintersConf, "# Printer configuration file for CUPS v1.4.3\n", 143},
      {VersionFile::kPrintersConf, "# Printer configuration file for CUPS\n", std::nullopt},
      {VersionFile::kPrintersConf, "# Written by cupsd v2.4 Printer configuration\n", std::nullopt},
      {VersionFile::kIndexHtml, "<HEAD><TITLE>CUPS   1.3.7</TITLE>\n", 137},
      {VersionFile::kIndexHtml, "<TITLE>CUPS\t1.3</TITLE>\n", 0},  // only spaces are skipped
      {VersionFile::kIndexHtml, "<title>CUPS 1.3</title>\n", std::nullopt},
      {VersionFile::kIndexHtml, "CUPS <TITLE>Home</TITLE>\n", std::nullopt},
      {VersionFile::kTestPagePs, "(Printed Using CUPS v1.1.23) show\n", 1123},
      {VersionFile::kTestPagePs, "(Printed Using CUPS) show\n", std::nullopt},
      {VersionFile::kTestPageText, "This page was PRODUCED BY cups \tV1.2.4\n", 124},
      {VersionFile::kTestPageText, "produced by CUPS vv 2.0", 20},
      {VersionFile::kTestPageText, "produced by CUPS", 0},
      {VersionFile::kTestPageText, "made by CUPS v1.2", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(versionInLine(c.file, c.line), c.expected) << c.line;
}

}  // namespace
