#include "queues/scheduler_cache.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

#include "base/format.h"
#include "base/regular_file.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "queues/printer_inventory.h"
#include "queues/printer_list.h"

namespace {

constexpr const char* kDefaultCacheDir = "/var/cache/cups";
constexpr off_t kConfMax = 1 << 20;

}  // namespace

std::string schedulerCacheDir(const SetupState& state) {
  std::string ppdDir = cupsPpdDirectory(state);
  std::string conf = ppdDir.substr(0, ppdDir.rfind('/')) + "/cups-files.conf";
  FileHandle file;
  std::string dir = kDefaultCacheDir;
  if (openRegularFile(conf, kConfMax, file) != 1) return dir;
  char line[1024];
  while (std::fgets(line, sizeof line, file.get())) {
    std::istringstream words(line);
    std::string key, value;
    if (words >> key >> value && strcasecmp(key.c_str(), "CacheDir") == 0 && value.front() == '/') dir = value;
  }
  return dir;
}

int removeCachedAttributes(SetupState& state, const std::string& queueName) {
  if (!isUsableQueueName(queueName)) return -1;
  if (state.schedulerCacheDir.empty()) state.schedulerCacheDir = schedulerCacheDir(state);
  const std::string& dir = state.schedulerCacheDir;
  const std::string name = queueName + ".data";
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat info {};
  int done = -1;
  if (fstat(fd, &info) != 0 || info.st_uid != 0 || (info.st_mode & S_IWOTH) != 0) {
    logLine(state, format(msg::kCacheDirUnsafe, dir.c_str(), queueName.c_str()));
  } else if (unlinkat(fd, name.c_str(), 0) == 0) {
    logLine(state, format(msg::kCacheRemoved, queueName.c_str(), dir.c_str(), name.c_str()));
    done = 1;
  } else {
    done = errno == ENOENT ? 0 : -1;
    if (done < 0) logLine(state, format(msg::kCacheNotRemoved, dir.c_str(), name.c_str(), queueName.c_str()));
  }
  close(fd);
  return done;
}
