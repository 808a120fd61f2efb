// Files in places other users can write: opened without following a link and without blocking,
// and used only when they are regular files of a sane size.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "base/text.h"

// An open descriptor, closed at the end of the scope (or when another one is assigned).
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = other.release();
    }
    return *this;
  }
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now, for a caller that must know whether the close worked; 0 when it did.
  int close() { return ::close(release()); }

 private:
  int fd_;
};

// An open directory listing, closed at the end of the scope.
struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Opens `name` (relative to dirFd, or a path with AT_FDCWD) for reading with O_NOFOLLOW and
// O_NONBLOCK, then looks at what was opened. 1 with `file` open (and `info` filled) when it is a
// regular file of at most maxBytes; 0 when nothing of that name exists; -1 for anything else
// (a link, a FIFO, a device, a directory, a file too large, no permission).
int openRegularFile(const std::string& name, off_t maxBytes, FileHandle& file, struct stat* info = nullptr,
                    int dirFd = AT_FDCWD);

// Opens a path for writing where other users can write: made (with `mode`) when missing, never
// through a link, and used only when it is a regular file of one name, truncated only after those
// checks. 1 with `file` open, else -1. Set the final mode and owner through the open file.
int openRegularFileForWriting(const std::string& path, mode_t mode, FileHandle& file);
