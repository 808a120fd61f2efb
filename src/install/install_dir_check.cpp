#include "install/install_dir_check.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// The root's own directories, and the standard directories below /usr, /usr/local and /var.
constexpr std::string_view kSystemDirs[] = {"/bin",
                                            "/boot",
                                            "/dev",
                                            "/etc",
                                            "/home",
                                            "/lib",
                                            "/lib32",
                                            "/lib64",
                                            "/libx32",
                                            "/media",
                                            "/mnt",
                                            "/opt",
                                            "/proc",
                                            "/root",
                                            "/run",
                                            "/sbin",
                                            "/srv",
                                            "/sys",
                                            "/tmp",
                                            "/usr",
                                            "/var",
                                            "/usr/bin",
                                            "/usr/games",
                                            "/usr/include",
                                            "/usr/lib",
                                            "/usr/lib32",
                                            "/usr/lib64",
                                            "/usr/libexec",
                                            "/usr/libx32",
                                            "/usr/local",
                                            "/usr/sbin",
                                            "/usr/share",
                                            "/usr/src",
                                            "/usr/local/bin",
                                            "/usr/local/etc",
                                            "/usr/local/games",
                                            "/usr/local/include",
                                            "/usr/local/lib",
                                            "/usr/local/libexec",
                                            "/usr/local/man",
                                            "/usr/local/sbin",
                                            "/usr/local/share",
                                            "/usr/local/src",
                                            "/var/backups",
                                            "/var/cache",
                                            "/var/crash",
                                            "/var/games",
                                            "/var/lib",
                                            "/var/local",
                                            "/var/lock",
                                            "/var/log",
                                            "/var/mail",
                                            "/var/opt",
                                            "/var/run",
                                            "/var/spool",
                                            "/var/tmp",
                                            "/var/spool/cron",
                                            "/var/spool/cups",
                                            "/var/spool/lpd",
                                            "/var/spool/mail",
                                            "/var/spool/rwho"};

// "/a//b/./c/../" gives "/a/b"; ".." of the root is the root.
std::string collapse(const std::string& path) {
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= path.size()) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  return result.empty() ? "/" : result;
}

struct FreeDeleter {
  void operator()(char* text) const { std::free(text); }
};

// realpath of the longest existing leading part, the rest appended as it is spelled.
std::string resolveExisting(const std::string& path) {
  std::string head = path, tail;
  while (true) {
    std::unique_ptr<char, FreeDeleter> real(realpath(head.c_str(), nullptr));
    if (real) return std::string(real.get()) + tail;
    size_t slash = head.rfind('/');
    if (slash == std::string::npos || head == "/") return path;
    tail = head.substr(slash) + tail;
    head = slash == 0 ? "/" : head.substr(0, slash);
  }
}

}  // namespace

std::string normaliseInstallDir(const std::string& dir) {
  std::string path = dir;
  if (path.empty() || path.front() != '/') {
    char cwd[PATH_MAX];
    path = std::string(getcwd(cwd, sizeof cwd) != nullptr ? cwd : "/") + "/" + path;
  }
  // A name made by ".." after a missing part can itself be a link: resolve until nothing changes.
  for (int round = 0; round < 40; ++round) {
    std::string next = collapse(resolveExisting(path));
    if (next == path) break;
    path = next;
  }
  return path;
}

bool isUsableInstallDir(const std::string& dir) {
  if (dir.empty()) return false;
  std::string path = normaliseInstallDir(dir);
  return path != "/" && std::find(std::begin(kSystemDirs), std::end(kSystemDirs), path) == std::end(kSystemDirs);
}
