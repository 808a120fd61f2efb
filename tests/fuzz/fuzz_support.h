// Shared by the fuzz targets: a run state whose log goes nowhere, a scratch directory made once
// per process, and the check that ends the process on a broken invariant (libFuzzer and the
// replay both report the abort with the input that caused it).
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/setup_state.h"

#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)

inline SetupState quietState() {
  static std::FILE* sink = std::fopen("/dev/null", "w");
  SetupState state;
  state.logFile = sink;
  return state;
}

inline const std::string& scratchDir() {
  static std::string dir;
  if (dir.empty()) {
    // Memory-backed when the machine has it: the targets write a file per input.
    dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm/orvo-fuzz-XXXXXX" : "/tmp/orvo-fuzz-XXXXXX";
    if (!mkdtemp(dir.data())) std::abort();
    // Only by the process that made it: a child ended by exit() must leave it to its parent.
    static const pid_t owner = getpid();
    std::atexit([] {
      if (getpid() == owner) std::filesystem::remove_all(dir);
    });
  }
  return dir;
}

inline void writeInput(const std::string& path, const uint8_t* data, size_t size) {
  // A fresh file each time: rewriting one in place makes some file systems flush it to disk.
  unlink(path.c_str());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
}

// Whether f, run in a child process with its standard error discarded, ends that process with the
// exit status given (checked once per process: the programming errors that end a run).
template <typename F>
bool exitsWith(int status, F f) {
  pid_t child = fork();
  if (child == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    f();
    _exit(255);
  }
  int got = 0;
  return child > 0 && waitpid(child, &got, 0) == child && WIFEXITED(got) && WEXITSTATUS(got) == status;
}
