#include "base/regular_file.h"

#include <unistd.h>

#include <cerrno>

int openRegularFile(const std::string& name, off_t maxBytes, FileHandle& file, struct stat* info, int dirFd) {
  file.close();
  int fd = openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno == ENOENT ? 0 : -1;
  struct stat seen {};
  if (fstat(fd, &seen) != 0 || !S_ISREG(seen.st_mode) || seen.st_size > maxBytes) {
    close(fd);
    return -1;
  }
  // Reads of a regular file never block; the flag only kept the open from waiting on a FIFO.
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* stream = fdopen(fd, "r");
  if (stream == nullptr) {
    close(fd);
    return -1;
  }
  file = FileHandle(stream);
  if (info != nullptr) *info = seen;
  return 1;
}

int openRegularFileForWriting(const std::string& path, mode_t mode, FileHandle& file) {
  file.close();
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
  if (fd < 0) return -1;
  struct stat seen {};
  std::FILE* stream = nullptr;
  // A second name could be anyone's file (a hard link to a system file): it is never truncated.
  if (fstat(fd, &seen) == 0 && S_ISREG(seen.st_mode) && seen.st_nlink == 1 && ftruncate(fd, 0) == 0) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    stream = fdopen(fd, "w");
  }
  if (stream == nullptr) {
    close(fd);
    return -1;
  }
  file = FileHandle(stream);
  return 1;
}
