// The run's result for machines: what kind of run it was, whether it was abandoned and why, what
// became of the package and of every queue. The run fills it as it goes; it is written as JSON
// beside the run log when the run ends (the preview prints it instead).
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "core/printer_entry.h"

struct CarriedDefault {
  std::string option;
  std::string value;
};

struct KeptDefault {
  std::string option;
  std::string value;   // the new PPD's own default, which stays
  std::string old;     // the queue's default that was not carried
  std::string reason;  // "not offered" or "conflicts"
};

struct QueueResult {
  std::string name;
  std::string model;
  std::string ppd;      // the queue's PPD
  std::string newPpd;   // the package PPD it gets (install, preview) or the backup put back (rollback)
  std::string outcome;  // "refreshed", "rolled back", "deleted", "would refresh", "skipped", "failed"
  std::string reason;   // why a queue was skipped or failed; empty otherwise
  int version = -1;     // the package version marker of the queue's PPD
  int served = -1;      // the scheduler serves its new PPD: 1 yes, 0 no, -1 unknown (null)
  std::vector<CarriedDefault> carried;
  std::vector<KeptDefault> kept;
};

struct RunResult {
  std::string kind = "install";  // "install", "deinstall", "rollback" or "preview"
  std::time_t start = 0;
  bool abandoned = false;
  std::vector<std::string> reasons;
  std::string package = "none";  // "installed", "updated", "reinstalled", "removed" or "none"
  bool restarted = false;
  bool restartPending = false;  // a needed restart was not made: jobs still printed at the bound
  std::vector<QueueResult> queues;

  // The queue being worked on: the last one added.
  QueueResult* current() { return queues.empty() ? nullptr : &queues.back(); }
  QueueResult& addQueue(const std::string& name);
  // A queue of the inventory: its name, its model without quotes and its PPD.
  QueueResult& addQueue(const PrinterEntry& printer);
};

// Notes why the run was abandoned (a line of the run log, its line ends and blanks trimmed).
void abandonResult(RunResult& result, const std::string& reason);

// The result as one JSON document; queue names and paths may hold any byte (invalid UTF-8 is
// replaced, never fails), `installDir` and the end time are the run's.
std::string runResultJson(const RunResult& result, const std::string& installDir, std::time_t end);

// Writes the document beside the run log, at logPath + ".json", as a complete file or not at all
// (a sibling written, flushed and renamed over the old one; a link at that path is replaced, never
// followed). 1 when written.
int writeRunResult(const RunResult& result, const std::string& logPath, const std::string& installDir);
