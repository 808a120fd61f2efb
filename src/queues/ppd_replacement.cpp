#include "queues/ppd_replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "base/format.h"
#include "base/regular_file.h"
#include "base/shell.h"
#include "base/temp_file.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"

namespace {

constexpr size_t kRandomPart = 6;

std::string failure(const char* what) { return format("%s: %s", what, std::strerror(errno)); }

// Makes the finished copy look like the file it stands in for and puts it on disk; empty when
// that worked, else what failed.
std::string settle(const std::string& copy, const struct stat& model, const struct stat& source) {
  Descriptor fd(open(copy.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
  struct stat info {};
  if (fd.get() < 0 || fstat(fd.get(), &info) != 0) return failure("cannot open the copy");
  if (!S_ISREG(info.st_mode)) return "the copy is not a regular file";
  if (info.st_size != source.st_size) {
    return format("the copy holds %lld of %lld bytes", static_cast<long long>(info.st_size),
                  static_cast<long long>(source.st_size));
  }
  if (fchown(fd.get(), model.st_uid, model.st_gid) != 0) return failure("cannot set the owner");
  if (fchmod(fd.get(), model.st_mode & 07777) != 0) return failure("cannot set the mode");
  if (fsync(fd.get()) != 0) return failure("cannot write the copy to disk");
  if (fd.close() != 0) return failure("cannot close the copy");
  return std::string();
}

}  // namespace

int replaceByCopy(SetupState& state, const std::string& source, const std::string& target, const std::string& model,
                  int& status, std::string& reason) {
  status = -1;
  reason.clear();
  struct stat modelInfo {};
  struct stat sourceInfo {};
  if (stat(model.c_str(), &modelInfo) != 0) {
    reason = failure(model.c_str());
    return 0;
  }
  std::string sibling = makeTempFile(target + std::string(kSiblingMarker));
  if (sibling.empty()) {
    reason = failure("cannot make a temporary file beside it");
    return 0;
  }
  TempFileGuard leftover(sibling);
  status = runShell(format("%s -f %s %s", shellWord(state.commands.cp).c_str(), shellWord(source).c_str(),
                           shellWord(sibling).c_str()));
  if (status != 0) {
    reason = format("the copy command returned %d", status);
    return 0;
  }
  if (stat(source.c_str(), &sourceInfo) != 0) {
    reason = failure(source.c_str());
    return 0;
  }
  reason = settle(sibling, modelInfo, sourceInfo);
  if (!reason.empty()) return 0;
  if (rename(sibling.c_str(), target.c_str()) != 0) {
    reason = failure("cannot rename the copy");
    return 0;
  }
  Descriptor dir(open(directoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) fsync(dir.get());
  return 1;
}

bool isSiblingName(std::string_view name) {
  size_t tail = kSiblingMarker.size() + kRandomPart;
  if (name.size() <= tail || name.substr(name.size() - tail, kSiblingMarker.size()) != kSiblingMarker) return false;
  for (char c : name.substr(name.size() - kRandomPart)) {
    bool alnum = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (!alnum) return false;
  }
  return true;
}

int removeStaleFiles(SetupState& state, const std::string& dir, bool (*matches)(std::string_view name),
                     const timespec& runStart) {
  DirHandle listing(opendir(dir.c_str()));
  if (!listing) return 0;
  int removed = 0;
  int dirFd = dirfd(listing.get());
  while (const dirent* item = readdir(listing.get())) {
    if (!matches(item->d_name)) continue;
    struct stat info {};
    if (fstatat(dirFd, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    bool older = info.st_mtim.tv_sec < runStart.tv_sec ||
                 (info.st_mtim.tv_sec == runStart.tv_sec && info.st_mtim.tv_nsec < runStart.tv_nsec);
    if (!S_ISREG(info.st_mode) || info.st_uid != 0 || !older) continue;
    std::string path = dir == "/" ? "/" + std::string(item->d_name) : dir + "/" + item->d_name;
    if (unlinkat(dirFd, item->d_name, 0) != 0) continue;
    logLine(state, format(msg::kStaleFileRemoved, path.c_str()));
    ++removed;
  }
  return removed;
}
