// open_counter: a preload library for the benchmarks. Every open of a file whose name holds ".ppd",
// by the process it is loaded into and by every process started from it, is appended as one line
//   <pid> TAB <program> TAB <call> TAB <r|w|rw> TAB <absolute path>
// to the file named by OPEN_COUNTER_LOG (program: the base name of the running executable; r, w, rw:
// how the file was opened). The benchmark script counts the lines afterwards.
//
//   g++ -std=c++20 -O2 -shared -fPIC -o open_counter.so open_counter.cpp -ldl
//   OPEN_COUNTER_LOG=/tmp/opens.log LD_PRELOAD=$PWD/open_counter.so COMMAND...
//
// Only the entry points a C or C++ program reaches through the dynamic linker are wrapped (the
// open and fopen families, the fortified ones included); calls inside libc itself are not seen,
// which covers every way the measured programs open a file by name.
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using OpenFn = int (*)(const char*, int, ...);
using OpenAtFn = int (*)(int, const char*, int, ...);
using Open2Fn = int (*)(const char*, int);
using OpenAt2Fn = int (*)(int, const char*, int);
using FopenFn = FILE* (*)(const char*, const char*);

template <typename Fn>
Fn next(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

// The log descriptor, opened on first use with the real open and kept across the process's life.
int logFd() {
  static int fd = -2;
  if (fd == -2) {
    const char* path = getenv("OPEN_COUNTER_LOG");
    static OpenFn realOpen = next<OpenFn>("open");
    fd =
        (path != nullptr && realOpen != nullptr) ? realOpen(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644) : -1;
  }
  return fd;
}

// The base name of this process's executable, read once.
const char* programName() {
  static char name[PATH_MAX] = "";
  if (name[0] == '\0') {
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[n > 0 ? n : 0] = '\0';
    const char* slash = std::strrchr(exe, '/');
    std::snprintf(name, sizeof name, "%s", slash != nullptr ? slash + 1 : (n > 0 ? exe : "?"));
  }
  return name;
}

const char* accessOfFlags(int flags) {
  switch (flags & O_ACCMODE) {
    case O_RDONLY: return "r";
    case O_WRONLY: return "w";
    default: return "rw";
  }
}

const char* accessOfMode(const char* mode) {
  if (mode == nullptr) return "?";
  if (std::strchr(mode, '+') != nullptr) return "rw";
  return mode[0] == 'r' ? "r" : "w";
}

// Appends one line when the open succeeded and names a PPD file. One write() per line, so the
// lines of concurrent processes never interleave (O_APPEND).
void note(const char* call, const char* access, int dirFd, const char* path, bool opened) {
  if (!opened || path == nullptr || std::strstr(path, ".ppd") == nullptr) return;
  int savedErrno = errno;  // the caller sees the errno of its own call only
  int fd = logFd();
  if (fd < 0) {
    errno = savedErrno;
    return;
  }
  char base[PATH_MAX] = "";
  if (path[0] != '/') {
    if (dirFd == AT_FDCWD) {
      if (getcwd(base, sizeof base) == nullptr) base[0] = '\0';
    } else {
      char link[64];
      std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirFd);
      ssize_t n = readlink(link, base, sizeof base - 1);
      base[n > 0 ? n : 0] = '\0';
    }
  }
  char line[2 * PATH_MAX + 64];
  int n = std::snprintf(line, sizeof line, "%d\t%s\t%s\t%s\t%s%s%s\n", static_cast<int>(getpid()), programName(), call,
                        access, base, base[0] != '\0' ? "/" : "", path);
  if (n > 0 && static_cast<size_t>(n) < sizeof line) {
    ssize_t written = write(fd, line, static_cast<size_t>(n));
    (void)written;
  }
  errno = savedErrno;
}

// The mode argument is only present with O_CREAT or O_TMPFILE.
mode_t modeOf(int flags, va_list args) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

}  // namespace

extern "C" {

#define OPEN_WRAPPER(name)                                      \
  int name(const char* path, int flags, ...) {                  \
    static OpenFn real = next<OpenFn>(#name);                   \
    va_list args;                                               \
    va_start(args, flags);                                      \
    mode_t mode = modeOf(flags, args);                          \
    va_end(args);                                               \
    int fd = real(path, flags, mode);                           \
    note(#name, accessOfFlags(flags), AT_FDCWD, path, fd >= 0); \
    return fd;                                                  \
  }

#define OPENAT_WRAPPER(name)                                 \
  int name(int dirFd, const char* path, int flags, ...) {    \
    static OpenAtFn real = next<OpenAtFn>(#name);            \
    va_list args;                                            \
    va_start(args, flags);                                   \
    mode_t mode = modeOf(flags, args);                       \
    va_end(args);                                            \
    int fd = real(dirFd, path, flags, mode);                 \
    note(#name, accessOfFlags(flags), dirFd, path, fd >= 0); \
    return fd;                                               \
  }

#define OPEN2_WRAPPER(name)                                     \
  int name(const char* path, int flags) {                       \
    static Open2Fn real = next<Open2Fn>(#name);                 \
    int fd = real(path, flags);                                 \
    note(#name, accessOfFlags(flags), AT_FDCWD, path, fd >= 0); \
    return fd;                                                  \
  }

#define OPENAT2_WRAPPER(name)                                \
  int name(int dirFd, const char* path, int flags) {         \
    static OpenAt2Fn real = next<OpenAt2Fn>(#name);          \
    int fd = real(dirFd, path, flags);                       \
    note(#name, accessOfFlags(flags), dirFd, path, fd >= 0); \
    return fd;                                               \
  }

#define FOPEN_WRAPPER(name)                                           \
  FILE* name(const char* path, const char* mode) {                    \
    static FopenFn real = next<FopenFn>(#name);                       \
    FILE* file = real(path, mode);                                    \
    note(#name, accessOfMode(mode), AT_FDCWD, path, file != nullptr); \
    return file;                                                      \
  }

OPEN_WRAPPER(open)
OPEN_WRAPPER(open64)
OPENAT_WRAPPER(openat)
OPENAT_WRAPPER(openat64)
OPEN2_WRAPPER(__open_2)
OPEN2_WRAPPER(__open64_2)
OPENAT2_WRAPPER(__openat_2)
OPENAT2_WRAPPER(__openat64_2)
FOPEN_WRAPPER(fopen)
FOPEN_WRAPPER(fopen64)

}  // extern "C"
