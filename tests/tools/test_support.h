// What the unit tests share: scratch directories, a run log read back, file helpers, fixture paths, and
// scopes that put back the process state a test changes (umask, environment).
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "core/setup_state.h"

namespace fs = std::filesystem;

inline std::string readFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// Writes the file, making missing parent directories; a mode other than 0 is set afterwards.
inline void writeFile(const std::string& path, const std::string& text, mode_t mode = 0) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
  if (mode != 0) chmod(path.c_str(), mode);
}

// Permission bits of what the path names (links followed), or -1 when nothing is there.
inline int modeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

inline std::string fixturePath(const std::string& name) { return ORVO_SOURCE_DIR "/tests/fixtures/" + name; }

// A fresh directory with an unpredictable name, so test processes running side by side never meet;
// removed with everything in it at the end of the scope. A path that was not made ends the tests.
class ScratchDir {
 public:
  ScratchDir() : path_(testing::TempDir() + "orvo_unit_XXXXXX") {
    if (mkdtemp(path_.data()) == nullptr) std::abort();
  }
  ScratchDir(const ScratchDir&) = delete;
  ~ScratchDir() { fs::remove_all(path_, ignored_); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  std::error_code ignored_;
};

// Attaches a fresh log file to the state as an open run log; text() is what was logged so far. The file
// is closed at the end unless the code under test closed the log.
class LogCapture {
 public:
  explicit LogCapture(SetupState& state) : state_(state), file_(std::fopen((dir_ / "run.log").c_str(), "w")) {
    if (file_ == nullptr) std::abort();
    state.logFile = file_;
    state.logIsOpen = 1;
  }
  ~LogCapture() {
    if (state_.logFile == file_) std::fclose(file_);
  }
  std::string text() const {
    if (state_.logFile == file_) std::fflush(file_);
    return readFile(dir_ / "run.log");
  }

 private:
  SetupState& state_;
  ScratchDir dir_;
  std::FILE* file_;
};

// Sets the umask for the scope, so the modes a test expects cannot come from the caller's umask.
class UmaskScope {
 public:
  explicit UmaskScope(mode_t mask) : saved_(umask(mask)) {}
  ~UmaskScope() { umask(saved_); }

 private:
  mode_t saved_;
};

// Restores an environment variable (value or absence) at the end of the scope; set() with nullptr unsets it.
class EnvScope {
 public:
  explicit EnvScope(const char* name)
      : name_(name), saved_(std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt) {}
  ~EnvScope() { set(saved_ ? saved_->c_str() : nullptr); }
  void set(const char* value) const { value ? setenv(name_, value, 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

// The person at the terminal, on pipes: standard input and output are pipes while it lives; a thread
// reads what the program shows until `until` has appeared (or 5 seconds pass without more), then
// types `answer` and ends the input. seen() is what was shown, once the answer has been read.
class TerminalPerson {
 public:
  TerminalPerson(std::string until, std::string answer) {
    int in[2];
    EXPECT_EQ(pipe(in) + pipe(out_), 0);
    std::fflush(stdout);
    savedOut_ = dup(1);
    dup2(out_[1], 1);
    close(out_[1]);
    EXPECT_NE(std::freopen(("/proc/self/fd/" + std::to_string(in[0])).c_str(), "r", stdin), nullptr);
    close(in[0]);
    person_ = std::thread([this, in1 = in[1], until = std::move(until), answer = std::move(answer)] {
      pollfd ready{out_[0], POLLIN, 0};
      char buffer[512];
      for (ssize_t got = 1; seen_.find(until) == std::string::npos && got > 0 && poll(&ready, 1, 5000) > 0;)
        if ((got = read(out_[0], buffer, sizeof buffer)) > 0) seen_.append(buffer, static_cast<size_t>(got));
      EXPECT_EQ(write(in1, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
      close(in1);
    });
  }
  TerminalPerson(const TerminalPerson&) = delete;
  TerminalPerson& operator=(const TerminalPerson&) = delete;
  ~TerminalPerson() {
    if (person_.joinable()) person_.join();
    std::fflush(stdout);
    dup2(savedOut_, 1);
    close(savedOut_);
    close(out_[0]);
  }
  const std::string& seen() {
    if (person_.joinable()) person_.join();
    return seen_;
  }

 private:
  int out_[2] = {-1, -1};
  int savedOut_ = -1;
  std::string seen_;
  std::thread person_;
};
