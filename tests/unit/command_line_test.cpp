#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/setup_state.h"

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

TEST(OptionInteger, FollowsTheLeadingIntegerRule) {
  const std::pair<const char*, int> cases[] = {{"12", 12}, {"  -3x", -3}, {"abc", 0}, {"99999999999", 2147483647}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(optionInteger(text), expected) << text;
}

// -q -1 is -q 0, -Z is -D, the last -u wins, -m and -w are accepted and ignored.
TEST(CommandLine, EachPassSettlesOnlyItsOwnOptions) {
  SetupState state;
  Argv args({"setup",      "-d", "-f0",      "-S", "abc",        "-q", "-1", "-Z", "2",  "-i",
             "other.conf", "-u", "/srv/pkg", "-u", "/srv/other", "-m", "5",  "-w", "/x", "word"});
  state.queryMode = 7;
  parseFirstPass(state, args.argc(), args.argv());
  EXPECT_EQ(
      std::vector<int>({state.deinstallMode, state.allowAnyDir, state.seLinuxMode, state.queryMode, state.debugLevel}),
      std::vector<int>({1, 0, 0, 7, 0}));
  EXPECT_EQ(state.installDir, "/opt/vyr");
  parseSecondPass(state, args.argc(), args.argv());
  EXPECT_EQ(std::vector<int>({state.queryMode, state.debugLevel}), std::vector<int>({0, 2}));
  EXPECT_EQ(state.manifestName, "other.conf");
  EXPECT_EQ(state.installDir, "/srv/other");
}

// A -u or -i argument of 255 characters fits its field; one more is never cut: the run stops at once.
TEST(CommandLineDeathTest, ArgumentsUpTo255CharactersFit) {
  for (const char* option : {"-u", "-i"}) {
    SetupState state;
    Argv fits({"setup", option, std::string(255, 'a')});
    EXPECT_EXIT((parseFirstPass(state, fits.argc(), fits.argv()), std::exit(7)), testing::ExitedWithCode(7), "");
    Argv tooLong({"setup", option, std::string(256, 'a')});
    EXPECT_EXIT(parseFirstPass(state, tooLong.argc(), tooLong.argv()), testing::ExitedWithCode(0),
                std::string("argument of ") + option + " is longer than 255");
  }
}

}  // namespace
