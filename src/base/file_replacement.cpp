#include "base/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/regular_file.h"
#include "base/temp_file.h"

namespace {

bool writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t written = write(fd, text.data(), text.size());
    if (written <= 0) return false;
    text.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace

std::string makeSiblingFile(const std::string& path) { return makeTempFile(path + "."); }

int settleOver(const std::string& made, const std::string& path, mode_t mode, uid_t owner, gid_t group) {
  Descriptor fd(open(made.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat info {};
  bool ok = fd.get() >= 0 && fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) &&
            fchown(fd.get(), owner, group) == 0 && fchmod(fd.get(), mode) == 0 && fsync(fd.get()) == 0;
  ok = fd.close() == 0 && ok;
  if (!ok || rename(made.c_str(), path.c_str()) != 0) {
    unlink(made.c_str());
    return 0;
  }
  return 1;
}

int replaceFileWithText(const std::string& path, std::string_view text, mode_t mode, uid_t owner, gid_t group) {
  std::string made = makeSiblingFile(path);
  if (made.empty()) return 0;
  Descriptor fd(open(made.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
  bool ok = fd.get() >= 0 && writeAll(fd.get(), text);
  ok = fd.close() == 0 && ok;
  if (!ok) {
    unlink(made.c_str());
    return 0;
  }
  return settleOver(made, path, mode, owner, group);
}
