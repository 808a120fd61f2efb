// What the unit tests share: scratch directories, a run log read back, file helpers, fixture paths, and
// scopes that put back the process state a test changes (umask, environment).
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

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
