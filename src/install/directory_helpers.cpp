#include "install/directory_helpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/format.h"
#include "base/regular_file.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "queues/ppd_locations.h"

int makeDir(SetupState& state, const std::string& path, int create, mode_t mode) {
  if (path.empty()) return -1;
  if (pathExists(path)) return isDirectory(path) ? 0 : -1;
  if (create == 0 || state.previewMode != 0) return -1;  // a preview makes nothing
  if (mkdir(path.c_str(), mode) != 0) return -1;
  logLine(state, format(msg::kCreatedDirectory, path.c_str()));
  // mkdir's mode is reduced by the umask; chmod gives the full one.
  if (chmod(path.c_str(), mode) == 0) {
    logLine(state, format(msg::kChangingRights, path.c_str(), static_cast<unsigned>(mode)));
  } else {
    logLine(state, format(msg::kCouldNotChmod, path.c_str(), static_cast<unsigned>(mode)));
  }
  return 1;
}

int makePath(SetupState& state, const std::string& path, mode_t mode) {
  // A "/" among the first two characters is no split point, so the root itself is never tried.
  for (size_t slash = path.find('/', 2); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    makeDir(state, path.substr(0, slash), 1, 0755);
  }
  return makeDir(state, path, 1, mode);
}

void keepOthersFromRenaming(SetupState& state, const std::string& dir) {
  if (state.previewMode != 0 || dir.empty()) return;
  Descriptor fd(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat info {};
  if (fd.get() < 0 || fstat(fd.get(), &info) != 0 || info.st_uid != 0) return;
  mode_t mode = info.st_mode & 07777;
  if ((mode & (S_IWGRP | S_IWOTH)) == 0 || (mode & S_ISVTX) != 0) return;
  if (fchmod(fd.get(), mode | S_ISVTX) == 0) logLine(state, format(msg::kInstallDirSecured, dir.c_str(), mode | S_ISVTX));
}

int linkIfAbsent(SetupState& state, const std::string& target, const std::string& linkPath) {
  if (!pathExists(target)) {
    logLine(state, format(msg::kNoFile, target.c_str()));
    return -1;
  }
  // access follows links: a dangling link counts as absent, and symlink then fails over it.
  if (state.previewMode != 0) return -1;  // a preview makes nothing
  if (!pathExists(linkPath)) return symlink(target.c_str(), linkPath.c_str()) == 0 ? 0 : -1;
  logLine(state, format(msg::kExistsNotLinked, linkPath.c_str()));
  return -1;
}
