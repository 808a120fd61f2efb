#include "driver/command_line.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "driver/setup_state.h"

namespace {

// getopt wants a mutable argv; keep the words alive for the call.
struct Argv {
  explicit Argv(std::vector<std::string> w) : words(std::move(w)) {
    for (auto& word : words) pointers.push_back(word.data());
    pointers.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(words.size()); }
  char** argv() { return pointers.data(); }
  std::vector<std::string> words;
  std::vector<char*> pointers;
};

SetupState parseBoth(std::vector<std::string> words) {
  SetupState state;
  Argv args(std::move(words));
  parseFirstPass(state, args.argc(), args.argv());
  parseSecondPass(state, args.argc(), args.argv());
  return state;
}

TEST(OptionInteger, FollowsTheLeadingIntegerRule) {
  EXPECT_EQ(optionInteger("12"), 12);
  EXPECT_EQ(optionInteger("  -3x"), -3);
  EXPECT_EQ(optionInteger("+4"), 4);
  EXPECT_EQ(optionInteger("abc"), 0);
  EXPECT_EQ(optionInteger("99999999999"), 2147483647);
}

TEST(CommandLine, EachPassSettlesItsOwnOptions) {
  SetupState state = parseBoth({"setup", "-d", "-f0", "-S", "abc", "-q", "-1", "-Z", "2", "-i", "other.conf",
                                "-u", "/srv/pkg", "-u", "/srv/other", "-m", "5", "-w", "/x", "word"});
  EXPECT_EQ(state.deinstallMode, 1);
  EXPECT_EQ(state.allowAnyDir, 0);
  EXPECT_EQ(state.seLinuxMode, 0);
  EXPECT_EQ(state.queryMode, 0);
  EXPECT_EQ(state.debugLevel, 2);
  EXPECT_EQ(state.manifestName, "other.conf");
  EXPECT_EQ(state.installDir, "/srv/other");
}

TEST(CommandLine, FirstPassLeavesSecondPassOptionsAlone) {
  SetupState state;
  Argv args({"setup", "-D", "3", "-q1", "-u", "/srv/pkg"});
  parseFirstPass(state, args.argc(), args.argv());
  EXPECT_EQ(state.debugLevel, 0);
  EXPECT_EQ(state.queryMode, 0);
  EXPECT_EQ(state.installDir, "/opt/vyr");
  parseSecondPass(state, args.argc(), args.argv());
  EXPECT_EQ(state.debugLevel, 3);
  EXPECT_EQ(state.queryMode, 1);
}

TEST(CommandLineDeathTest, OverlongInstallDirectoryStopsBeforeAnythingChanges) {
  std::string longDir(300, 'a');
  SetupState state;
  Argv args({"setup", "-u", longDir});
  EXPECT_EXIT(parseFirstPass(state, args.argc(), args.argv()), testing::ExitedWithCode(0),
              "argument of -u is longer than 255");
}

TEST(CommandLineDeathTest, UsageGoesToStandardErrorAndExitsZero) {
  SetupState state;
  Argv args({"setup", "-q", "1", "-h"});
  EXPECT_EXIT(parseFirstPass(state, args.argc(), args.argv()), testing::ExitedWithCode(0),
              "Orvo setup version: 4.0-0.\n(.*\n){2}Usage:\nsetup \\[options\\].\nOptions:\n-d\t: de-installation");
}

}  // namespace
