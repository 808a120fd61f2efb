// Shared by the fuzz targets: a run state whose log goes nowhere, a scratch directory made once
// per process, and the check that ends the process on a broken invariant (libFuzzer and the
// replay both report the abort with the input that caused it).
#pragma once

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
    std::atexit([] { std::filesystem::remove_all(dir); });
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
