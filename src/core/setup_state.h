// SetupState: the one record of options, caller identity, discovered facts and run flags.
// main creates it and passes it by reference; nothing else in setup keeps mutable state.
#pragma once

#include <time.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/manifest_item.h"
#include "core/model_link.h"
#include "core/new_ppd_index.h"
#include "core/printer_entry.h"
#include "core/run_result.h"

// Full paths (or bare names) of the system commands the run executes.
struct CommandPaths {
  std::optional<std::string> selinuxenabled;   // none when not found
  std::optional<std::string> chcon = "chcon";  // none when not found
  std::string cp = "cp";
  std::string rm = "rm";
  std::string gzip = "gzip";
  std::string lpadmin = "lpadmin";
  std::string lpstat = "lpstat";
};

// Kinds of print system.
enum SchedulerKind : int {
  kSchedulerUnknown = 0,
  kSchedulerLp = 1,
  kSchedulerLpr = 2,
  kSchedulerLprng = 4,
  kSchedulerCups = 8,
};

inline constexpr size_t kTextFieldMax = 255;  // -u and -i arguments must fit a 256-byte field

struct SetupState {
  int userId = 0;
  int groupId = 0;
  int seLinuxMode = 0;
  int deinstallMode = 0;
  // -k: a de-installation that removes only what setup made; queues and package files stay
  int keepQueuesMode = 0;
  int previewMode = 0;   // -n: describe what an installation would do, change nothing
  int rollbackMode = 0;  // -r: put the refreshed queues back on their saved PPDs
  int jsonOutput = 0;    // -j: the preview as JSON
  int allowAnyDir = 1;
  std::string logPath;
  std::FILE* logFile = nullptr;
  int logIsOpen = 0;
  int runLockFd = -1;  // the one-run-at-a-time lock, held until the process ends
  CommandPaths commands;
  std::string sourceDir;
  std::string installDir = "/opt/vyr";
  std::string manifestName = "ORVOINST.CONF";
  int noFoomatic = 0;
  int debugLevel = 0;
  int queryMode = 0;
  int schedulerKind = kSchedulerUnknown;
  int notCups = 0;
  int abandon = 0;
  std::string cupsBaseDir;
  std::string cupsBinDir;
  int cupsVersion = 1000;
  std::optional<std::string> cupsDataDir = "/etc/cups/";
  std::string cupsModelDir = "/usr/share/cups/model";
  std::string systemPpdDir = "/usr/share/cups/model";
  int ppdDirFlags = 0;
  std::string ppdInstallDir;
  std::string previousDir;
  int upgradeMode = 0;
  PrinterList printers;
  int printerCount = 0;

  // Process-wide tables of the installation and the PPD scan.
  std::vector<ManifestItem> manifest;
  std::vector<ModelLink> modelLinks;
  bool baseDirsMade = false;  // makeBaseDirs runs once per process
  NewPpdIndex newPpdIndex;
  std::string schedulerCacheDir;  // read from cups-files.conf once, when first needed
  int progressTerminal = -1;      // standard error is a terminal: 1, not: 0, not yet asked: -1
  bool progressShown = false;
  // When the run began: temporary files older than this are leftovers of an earlier run.
  timespec runStart = [] {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
  }();

  // What the run did, for machines; written beside the run log at the end.
  RunResult result;
};
