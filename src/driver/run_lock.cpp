#include "driver/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/format.h"
#include "base/regular_file.h"

namespace {

std::string failure(const std::string& path) { return format("%s: %s", path.c_str(), std::strerror(errno)); }

// The lock's directory, made when missing; only a directory of root's that nobody else may enter
// or change is used.
int openLockDirectory(const std::string& dir, std::string& why) {
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    why = failure(dir);
    return -1;
  }
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0) {
    why = failure(dir);
  } else if (info.st_uid != 0 || (info.st_mode & 077) != 0) {
    why = format("%s is not a directory of root's closed to other users", dir.c_str());
  } else {
    return fd;
  }
  if (fd >= 0) close(fd);
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

int takeRunLock(const std::string& dir, int& fd, long& otherPid, std::string& why) {
  fd = -1;
  otherPid = 0;
  Descriptor dirFd(openLockDirectory(dir, why));
  if (dirFd.get() < 0) return -1;
  const std::string path = dir + "/" + kRunLockName;
  Descriptor lockFd(
      openat(dirFd.get(), kRunLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600));
  struct stat info {};
  if (lockFd.get() < 0 || fstat(lockFd.get(), &info) != 0) {
    why = failure(path);
    return -1;
  }
  if (!S_ISREG(info.st_mode) || info.st_uid != 0) {
    why = format("%s is not a file of root's", path.c_str());
    return -1;
  }
  if (flock(lockFd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK) {
      why = failure(path);
      return -1;
    }
    otherPid = holderPid(lockFd.get());
    return 0;
  }
  std::string pid = format("%ld\n", static_cast<long>(getpid()));
  // Should the id not be written, the lock still holds; a second run then names no process.
  if (ftruncate(lockFd.get(), 0) == 0) {
    [[maybe_unused]] ssize_t written = pwrite(lockFd.get(), pid.data(), pid.size(), 0);
  }
  fd = lockFd.release();
  return 1;
}
