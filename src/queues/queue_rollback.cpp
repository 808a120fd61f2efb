#include "queues/queue_rollback.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "base/format.h"
#include "base/regular_file.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "queues/ppd_replacement.h"
#include "queues/printer_inventory.h"
#include "queues/printer_list.h"
#include "queues/printer_refresh.h"
#include "queues/scheduler_cache.h"

namespace {

constexpr std::string_view kPpdSuffix = ".ppd";

// Notes the queue's outcome in the run's result.
void record(SetupState& state, const RolledOutQueue& queue, const char* outcome, const std::string& reason) {
  QueueResult& result = state.result.addQueue(queue.name);
  result.ppd = queue.ppdPath;
  result.newPpd = queue.backupPath;
  result.version = queue.version;
  result.outcome = outcome;
  result.reason = reason;
}

int leaveAlone(SetupState& state, const RolledOutQueue& queue, const char* text, const char* reason) {
  logLine(state, format(text, queue.name.c_str(), queue.backupPath.c_str()));
  record(state, queue, "skipped", reason);
  return 0;
}

}  // namespace

std::vector<RolledOutQueue> findRolledOutQueues(SetupState& state) {
  std::vector<RolledOutQueue> queues;
  const std::string dir = cupsPpdDirectory(state);
  DirHandle listing(opendir(dir.c_str()));
  if (!listing) return queues;
  while (const dirent* item = readdir(listing.get())) {
    std::string_view name = item->d_name;
    if (!endsWith(name, kPpdSuffix) || name.size() == kPpdSuffix.size()) continue;
    RolledOutQueue queue;
    queue.name = std::string(name.substr(0, name.size() - kPpdSuffix.size()));
    if (!isUsableQueueName(queue.name)) continue;
    queue.ppdPath = dir + "/" + queue.name + ".ppd";
    queue.backupPath = backupPathFor(queue.ppdPath, queue.name);
    queue.version = queuePpdVersion(queue.ppdPath);
    struct stat info {};
    bool hasBackup = lstat(queue.backupPath.c_str(), &info) == 0;
    if (queue.version == kCurrentPpdVersion || hasBackup) queues.push_back(std::move(queue));
  }
  std::sort(queues.begin(), queues.end(),
            [](const RolledOutQueue& a, const RolledOutQueue& b) { return a.name < b.name; });
  return queues;
}

int rollBackQueue(SetupState& state, const RolledOutQueue& queue) {
  if (queue.version != kCurrentPpdVersion)
    return leaveAlone(state, queue, msg::kRollbackNothingNewer, "nothing newer to go back from");
  struct stat info {};
  if (lstat(queue.backupPath.c_str(), &info) != 0) return leaveAlone(state, queue, msg::kRollbackNoBackup, "no backup");
  int backupVersion = S_ISREG(info.st_mode) ? queuePpdVersion(queue.backupPath) : -1;
  if (backupVersion < 1 || backupVersion >= kCurrentPpdVersion)
    return leaveAlone(state, queue, msg::kRollbackForeignBackup, "backup not a PPD of the package");

  int status = -1;
  std::string reason;
  if (replaceByCopy(state, queue.backupPath, queue.ppdPath, queue.ppdPath, status, reason) != 1) {
    logLine(state, format(msg::kRollbackFailed, queue.name.c_str(), reason.c_str()));
    record(state, queue, "failed", reason);
    return -1;
  }
  logLine(state, format(msg::kRolledBack, queue.name.c_str(), queue.backupPath.c_str()));
  removeCachedAttributes(state, queue.name);
  record(state, queue, "rolled back", std::string());
  return 1;
}
