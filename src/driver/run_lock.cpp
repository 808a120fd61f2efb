#include "driver/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "base/format.h"

namespace {

bool isDirectory(const char* path) {
  struct stat info {};
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// The lock file, never through a link. The lock directory is writable by all: a file someone else
// planted there (a link, a FIFO, a file of another owner that its owner could hold locked for
// ever) is removed and made afresh.
int openLockFile(const std::string& path) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
    struct stat info {};
    if (fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid()) return fd;
    if (fd >= 0) close(fd);
    if (unlink(path.c_str()) != 0 && errno != ENOENT) return -1;
  }
  return -1;
}

// The process id written by the holder; it may not be written yet just after the holder locked.
long holderPid(int fd) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    char text[32] = {};
    ssize_t got = pread(fd, text, sizeof text - 1, 0);
    long pid = got > 0 ? std::strtol(text, nullptr, 10) : 0;
    if (pid > 0) return pid;
    usleep(10000);
  }
  return 0;
}

}  // namespace

std::string runLockDirectory() {
  for (const char* dir : {"/run/lock", "/var/lock", "/run"}) {
    if (isDirectory(dir)) return dir;
  }
  return "";
}

int takeRunLock(const std::string& dir, int& fd, long& otherPid) {
  fd = -1;
  otherPid = 0;
  if (dir.empty()) return -1;
  int lockFd = openLockFile(dir + "/" + kRunLockName);
  if (lockFd < 0) return -1;
  if (flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
    otherPid = holderPid(lockFd);
    close(lockFd);
    return 0;
  }
  std::string pid = format("%ld\n", static_cast<long>(getpid()));
  // Should the id not be written, the lock still holds; a second run then names no process.
  if (ftruncate(lockFd, 0) == 0) {
    [[maybe_unused]] ssize_t written = pwrite(lockFd, pid.data(), pid.size(), 0);
  }
  fd = lockFd;
  return 1;
}
