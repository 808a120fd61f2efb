#include "base/trusted_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>

#include "base/format.h"
#include "base/regular_file.h"

namespace {

constexpr int kMaxLinks = 40;

bool othersMayWrite(const struct stat& info) { return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0; }

}  // namespace

std::string distrustOfObject(const std::string& path, const struct stat& info) {
  if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode))
    return format("'%s' is neither a regular file nor a directory", path.c_str());
  if (info.st_uid != 0)
    return format("'%s' is owned by user %u, not root", path.c_str(), static_cast<unsigned>(info.st_uid));
  bool sticky = S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) != 0;
  if (othersMayWrite(info) && !sticky) return format("'%s' can be changed by other users", path.c_str());
  return std::string();
}

namespace {

// Puts the components of `path` in front of `parts`, in order.
void pushComponents(std::deque<std::string>& parts, const std::string& path) {
  std::deque<std::string> own;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    if (slash > start) own.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  parts.insert(parts.begin(), own.begin(), own.end());
}

}  // namespace

std::string distrustOf(const std::string& path) {
  if (path.empty()) return "an empty path";
  std::string start = path;
  if (path.front() != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return format("the current directory: %s", std::strerror(errno));
    start = std::string(cwd) + "/" + path;
  }
  struct stat info {};
  if (lstat("/", &info) != 0) return format("'/': %s", std::strerror(errno));
  std::string why = distrustOfObject("/", info);
  if (!why.empty()) return why;

  std::deque<std::string> parts;
  pushComponents(parts, start);
  std::string at = "/";
  int links = 0;
  while (!parts.empty()) {
    std::string name = parts.front();
    parts.pop_front();
    if (name == ".") continue;
    if (name == "..") {
      at = directoryOf(at);  // judged on the way down
      continue;
    }
    std::string next = at == "/" ? format("/%s", name.c_str()) : format("%s/%s", at.c_str(), name.c_str());
    if (lstat(next.c_str(), &info) != 0) return format("'%s': %s", next.c_str(), std::strerror(errno));
    if (S_ISLNK(info.st_mode)) {
      if (info.st_uid != 0)
        return format("'%s' is a link owned by user %u, not root", next.c_str(), static_cast<unsigned>(info.st_uid));
      if (++links > kMaxLinks) return format("'%s': too many links", path.c_str());
      char target[PATH_MAX];
      ssize_t length = readlink(next.c_str(), target, sizeof target - 1);
      if (length <= 0) return format("'%s': %s", next.c_str(), std::strerror(errno));
      target[length] = '\0';
      if (target[0] == '/') at.assign(1, '/');
      pushComponents(parts, target);
      continue;
    }
    if (!parts.empty() && !S_ISDIR(info.st_mode)) return format("'%s' is not a directory", next.c_str());
    why = distrustOfObject(next, info);
    if (!why.empty()) return why;
    at = next;
  }
  return std::string();
}

int openTrustedFile(const std::string& path, off_t maxBytes, FileHandle& file, std::string& why) {
  file.close();
  why.clear();
  struct stat seen {};
  if (lstat(path.c_str(), &seen) != 0 && errno == ENOENT) return 0;
  why = distrustOf(path);
  if (!why.empty()) return -1;
  int opened = openRegularFile(path, maxBytes, file, &seen);
  if (opened == 0) return 0;
  // What was opened is checked again: it is the file judged above.
  if (opened < 0 || !S_ISREG(seen.st_mode)) {
    why = format("'%s' is not a regular file of sane size", path.c_str());
  } else {
    why = distrustOfObject(path, seen);
  }
  if (!why.empty()) {
    file.close();
    return -1;
  }
  return 1;
}
