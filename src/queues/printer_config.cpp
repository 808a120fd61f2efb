#include "queues/printer_config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "base/format.h"
#include "base/regular_file.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "queues/printer_list.h"

namespace {

constexpr const char* kQueuesBase = "/opt/vyr";
constexpr const char* kConfigName = "orvoConfig";

// A directory entered without following a link, so a link planted in the shared
// installation directory can never lead the rewrite elsewhere.
int openDirectoryAt(int parentFd, const std::string& name) {
  return openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// A new empty file beside the configuration, with an unpredictable name, made exclusively.
int makeSibling(int dirFd, std::string& name) {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = std::string(kConfigName) + ".";
    for (int i = 0; i < 6; ++i) name += kChars[random() % (sizeof kChars - 1)];
    int fd = openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The configuration's text with the version marker bumped; false when the file is not readable
// whole or grows past its bound while it is read.
bool rewrittenText(std::FILE* config, std::string& text) {
  std::string line;
  while (readPiece(config, line, kQueueConfigMax + 1)) {
    if (contains(line, "%%ORVO_VERSION_1.0")) line = "%%ORVO_VERSION_3.0\n";
    text += line;
    if (text.size() > kQueueConfigMax) return false;
  }
  return !std::ferror(config);
}

int skipConfig(SetupState& state, const std::string& configPath) {
  logLine(state, format(msg::kUnsafeFileSkipped, configPath.c_str()));
  return 0;
}

}  // namespace

int processPrinterConfig(SetupState& state, const std::string& queueName) {
  if (!isUsableQueueName(queueName)) return 0;
  const std::string configPath = std::string(kQueuesBase) + "/" + queueName + "/root/" + kConfigName;
  Descriptor base(open(kQueuesBase, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (base.get() < 0) return 0;
  Descriptor queueDir(openDirectoryAt(base.get(), queueName));
  if (queueDir.get() < 0) return errno == ENOENT ? 0 : skipConfig(state, configPath);
  Descriptor rootDir(openDirectoryAt(queueDir.get(), "root"));
  if (rootDir.get() < 0) return errno == ENOENT ? 0 : skipConfig(state, configPath);

  FileHandle config;
  struct stat info {};
  int opened = openRegularFile(kConfigName, static_cast<off_t>(kQueueConfigMax), config, &info, rootDir.get());
  if (opened == 0) return 0;
  // A second name of the file could be anyone's file: only a file of one name is rewritten.
  if (opened < 0 || info.st_nlink != 1) return skipConfig(state, configPath);
  std::string text;
  bool ok = rewrittenText(config.get(), text);
  config.close();
  if (!ok) return skipConfig(state, configPath);

  // The new text goes to a sibling file that replaces the old one only once it is complete.
  std::string newName;
  Descriptor rewritten(makeSibling(rootDir.get(), newName));
  if (rewritten.get() < 0) return 0;
  ok = write(rewritten.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (fchmod(rewritten.get(), info.st_mode & 07777) != 0) ok = false;
  if (fchown(rewritten.get(), info.st_uid, info.st_gid) != 0 && errno != EPERM) ok = false;
  ok = close(rewritten.release()) == 0 && ok;
  if (!ok || renameat(rootDir.get(), newName.c_str(), rootDir.get(), kConfigName) != 0) {
    unlinkat(rootDir.get(), newName.c_str(), 0);
    return 0;
  }
  logLine(state, format(msg::kConfigUpdated, queueName.c_str()));
  return 1;
}
