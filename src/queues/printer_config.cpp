#include "queues/printer_config.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/format.h"
#include "base/temp_file.h"
#include "base/text.h"
#include "driver/messages.h"
#include "driver/run_log.h"
#include "driver/setup_state.h"

int processPrinterConfig(SetupState& state, const std::string& queueName) {
  std::string configPath = format("/opt/vyr/%s/root/orvoConfig", queueName.c_str());
  FileHandle config(configPath, "r");
  if (!config) return 0;
  struct stat info {};
  if (fstat(fileno(config.get()), &info) != 0) return 0;

  // The new text goes to a sibling file that replaces the old one only once it is complete.
  std::string newPath = makeTempFile(configPath + ".");
  if (newPath.empty()) return 0;
  TempFileGuard cleanup(newPath);
  FileHandle rewritten(newPath, "w");
  if (!rewritten) return 0;
  std::string line;
  while (readWholeLine(config.get(), line)) {
    if (contains(line, "%%ORVO_VERSION_1.0")) line = "%%ORVO_VERSION_3.0\n";
    std::fwrite(line.data(), 1, line.size(), rewritten.get());
  }
  bool ok = !std::ferror(config.get()) && !std::ferror(rewritten.get());
  if (fchmod(fileno(rewritten.get()), info.st_mode & 07777) != 0) ok = false;
  if (fchown(fileno(rewritten.get()), info.st_uid, info.st_gid) != 0 && errno != EPERM) ok = false;
  ok = (rewritten.close() == 0) && ok;
  if (!ok || rename(newPath.c_str(), configPath.c_str()) != 0) return 0;
  logLine(state, format(msg::kConfigUpdated, queueName.c_str()));
  return 1;
}
