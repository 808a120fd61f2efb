#include "base/shell.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Waits for pid; with a deadline, polls and ends the child's process group when it passes.
int waitFor(pid_t pid, int timeoutSeconds) {
  int status = 0;
  if (timeoutSeconds <= 0) {
    while (waitpid(pid, &status, 0) < 0) {
      if (errno != EINTR) return -1;
    }
    return status;
  }
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return status;
    if (done < 0 && errno != EINTR) return -1;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    double elapsed = double(now.tv_sec - start.tv_sec) + double(now.tv_nsec - start.tv_nsec) / 1e9;
    if (elapsed >= timeoutSeconds) {
      kill(-pid, SIGKILL);
      while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
      }
      return status;
    }
    usleep(10000);
  }
}

}  // namespace

int runShell(const std::string& command, int timeoutSeconds) {
  std::fflush(nullptr);  // the child must not repeat buffered output
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    // A group of its own lets a time limit end the command and everything it started.
    if (timeoutSeconds > 0) setpgid(0, 0);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (timeoutSeconds > 0) setpgid(pid, pid);  // closes the race with the child's own call
  return waitFor(pid, timeoutSeconds);
}

std::string shellWord(std::string_view word) {
  auto plain = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::strchr("_@%+=:,./-", c) != nullptr;
  };
  bool needsQuotes = word.empty();
  for (char c : word) {
    if (c == '\0' || !plain(c)) {
      needsQuotes = true;
      break;
    }
  }
  if (!needsQuotes) return std::string(word);
  std::string quoted = "'";
  for (char c : word) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  quoted += "'";
  return quoted;
}
