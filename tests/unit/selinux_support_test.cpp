#include "discovery/selinux_support.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "driver/setup_state.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ChconPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::TempDir() + "chcon_path_test" + std::to_string(getpid());
    mkdir(dir_.c_str(), 0700);
    logPath_ = dir_ + "/log";
    state_.logFile = std::fopen(logPath_.c_str(), "w");
    ASSERT_NE(state_.logFile, nullptr);
    // A chcon that records its arguments and fails as the real one does without SELinux.
    chcon_ = dir_ + "/chcon";
    std::ofstream(chcon_) << "#!/bin/sh\necho \"$@\" >" << dir_ << "/args\nexit 1\n";
    chmod(chcon_.c_str(), 0755);
  }
  void TearDown() override {
    std::fclose(state_.logFile);
    for (const char* name : {"/log", "/chcon", "/args"}) std::remove((dir_ + name).c_str());
    rmdir(dir_.c_str());
  }
  SetupState state_;
  std::string dir_, logPath_, chcon_;
};

// The path comes from the machine and is quoted; the status is the raw wait status.
TEST_F(ChconPathTest, RunsChconAndLogsTheRawStatus) {
  state_.commands.chcon = chcon_;
  EXPECT_EQ(chconPath(state_, "/opt/vyr/a b;touch x", "-R -u system_u"), 256);
  EXPECT_EQ(readFile(dir_ + "/args"), "-R -u system_u /opt/vyr/a b;touch x\n");
  EXPECT_EQ(readFile(logPath_),
            "chcon SELinux for: \"" + chcon_ + " -R -u system_u '/opt/vyr/a b;touch x' 2>/dev/null\": result: 256\n");
}

TEST_F(ChconPathTest, NothingWithoutAnAbsoluteChcon) {
  for (std::optional<std::string> chcon : {std::optional<std::string>(), std::optional<std::string>("chcon")}) {
    state_.commands.chcon = chcon;
    EXPECT_EQ(chconPath(state_, "/opt/vyr/bin", "-R -u system_u"), -1);
  }
  EXPECT_EQ(readFile(logPath_), "");
  EXPECT_EQ(readFile(dir_ + "/args"), "");
}

}  // namespace
