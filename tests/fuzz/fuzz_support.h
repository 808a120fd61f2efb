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
#include <cstring>
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

// Present only in a build with clang's source-based coverage.
extern "C" int __llvm_profile_write_file(void) __attribute__((weak));

// Whether f, run in a child process, ends that process with a failure status after writing `message`
// first on standard error: the programming errors that end a run. (Under libFuzzer the status is the
// fuzzer's own: it catches every exit of its target.)
template <typename F>
bool endsProcessWith(const char* message, F f) {
  int error[2];
  if (pipe(error) != 0) return false;
  pid_t child = fork();
  if (child == 0) {
    dup2(error[1], 2);
    // Ends the child before the fuzzer's own exit handler runs, which would save the input as a crash
    // (a coverage build still writes the child's profile).
    std::atexit([] {
      if (__llvm_profile_write_file) __llvm_profile_write_file();
      std::_Exit(1);
    });
    f();
    _exit(0);
  }
  close(error[1]);
  std::string text(4096, '\0');
  ssize_t got = read(error[0], text.data(), text.size());
  close(error[0]);
  int status = 0;
  bool ended = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) != 0;
  return ended && got > 0 && text.compare(0, std::strlen(message), message) == 0;
}
