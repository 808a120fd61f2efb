#include "discovery/cups_version.h"

#include <gtest/gtest.h>

#include "base/temp_file.h"
#include "core/tmp_name.h"
#include "test_support.h"

namespace {

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
  const std::pair<int, int> cases[] = {{24, 2400},   {9, 9000},     {999, 9990},       {1000, 1000},
                                       {9999, 9999}, {10000, 1000}, {2147483647, 2147}};
  for (const auto& [n, expected] : cases) EXPECT_EQ(normaliseVersion(n), expected) << n;
}

TEST(CollectVersionNumber, JoinsDigitsDropsDotsStopsAtAnythingElse) {
  const std::pair<const char*, int> cases[] = {
      {"2.4.2\n", 242},
      {"..1..3", 13},
      {"2.4b1", 24},
      {" 2.4", 0},
      {"v2.4", 0},
      {"", 0},
      // 23 digits are collected, the rest ignored; the value keeps the leading digits that decide the version.
      {"1.2.3.4.5.6.7.8.9.0.1.2.3.4.5.6.7.8.9.0.1.2.3.9.9", 123456789},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(collectVersionNumber(text), expected) << text;
  EXPECT_EQ(normaliseVersion(collectVersionNumber("24212345678901234567890999")), 2421);
}

// CUPS/1.4, CUPS/25 and a line ending after "CUPS" are shown in the sandbox scenarios.
TEST(ServerHeaderVersion, ScalesTheCupsVersionOfTheServerLine) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"Server: CUPS/2.4 IPP/2.1\r\n", 240},
      {"Server: CUPS/123\r\n", 123},
      {"Server: CUPS 1.2\r\n", 0},  // no "/": the blank ends the version at once
      {"Server: Apache/2.4\r\n", std::nullopt},
      {"X-CUPS: 2.4\r\n", std::nullopt},
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(serverHeaderVersion(line), expected) << line;
  EXPECT_GT(*serverHeaderVersion("Server: CUPS/9999999999999999999999999999999"), 0);
}

TEST(VersionInLine, EachFileHasItsPhrase) {
  using enum VersionFile;
  const std::tuple<VersionFile, const char*, std::optional<int>> cases[] = {
      {kPrintersConf, "# Printer configuration file for CUPS v1.4.3\n", 143},
      {kPrintersConf, "# Written by cupsd v2.4 Printer configuration\n", std::nullopt},
      {kIndexHtml, "<HEAD><TITLE>CUPS   1.3.7</TITLE>\n", 137},
      {kIndexHtml, "<TITLE>CUPS\t1.3</TITLE>\n", 0},  // only spaces are skipped
      {kIndexHtml, "<title>CUPS 1.3</title>\n", std::nullopt},
      {kTestPagePs, "(Printed Using CUPS v1.1.23) show\n", 1123},
      {kTestPageText, "This page was PRODUCED BY cups \tV1.2.4\n", 124},
      {kTestPageText, "produced by CUPS", 0},
      {kTestPageText, "made by CUPS v1.2", std::nullopt},
  };
  for (const auto& [file, line, expected] : cases) EXPECT_EQ(versionInLine(file, line), expected) << line;
}

}  // namespace
