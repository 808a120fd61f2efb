#include "base/shell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

extern char** environ;

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
  // Like system(): while the command runs, an interrupt from the terminal is the command's to
  // handle, and setup goes on with the status it gets back.
  struct sigaction ignore {};
  struct sigaction oldInt {};
  struct sigaction oldQuit {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGINT, &ignore, &oldInt);
  sigaction(SIGQUIT, &ignore, &oldQuit);

  // posix_spawn avoids copying this process's page tables for every command, which fork would.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGQUIT);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  short flags = POSIX_SPAWN_SETSIGDEF;
  if (timeoutSeconds > 0) {
    // A group of its own lets a time limit end the command and everything it started.
    flags |= POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  posix_spawnattr_setflags(&attributes, flags);
  std::string shellCommand = command;
  char shellName[] = "sh";
  char dashC[] = "-c";
  char* arguments[] = {shellName, dashC, shellCommand.data(), nullptr};
  pid_t pid = 0;
  int error = posix_spawn(&pid, "/bin/sh", nullptr, &attributes, arguments, environ);
  posix_spawnattr_destroy(&attributes);
  // A shell that cannot be started reports as system() does: exit status 127.
  int status = error != 0 ? 127 << 8 : waitFor(pid, timeoutSeconds);
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGQUIT, &oldQuit, nullptr);
  return status;
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
