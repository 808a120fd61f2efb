#include "driver/run_flow.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "base/format.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_end.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "discovery/command_locator.h"
#include "discovery/cups_version_probe.h"
#include "discovery/foomatic_check.h"
#include "discovery/scheduler_detection.h"
#include "discovery/selinux_support.h"
#include "driver/command_line.h"
#include "driver/deinstall_branch.h"
#include "driver/install_branch.h"
#include "driver/preview_branch.h"
#include "driver/rollback_branch.h"
#include "driver/run_lock.h"
#include "install/install_dir_check.h"
#include "install/ppd_install_dir.h"
#include "queues/job_hold.h"
#include "queues/ppd_locations.h"

namespace {

std::string orBareName(const char* name) { return findCommand(name).value_or(name); }

void resolveCommands(SetupState& state) {
  state.commands.cp = orBareName("cp");
  state.commands.rm = orBareName("rm");
  state.commands.gzip = orBareName("gzip");
  state.commands.lpadmin = orBareName("lpadmin");
  state.commands.lpstat = orBareName("lpstat");
}

// The run goes on only from under /opt/vyr, unless -f allows any directory or -d is given.
void checkStartDirectory(SetupState& state) {
  if (startsWith(state.sourceDir, "/opt/vyr") || state.allowAnyDir != 0 || state.deinstallMode == 1) return;
  logLine(state, msg::kSimulation);
  std::fputs(msg::kSimulation, stderr);
  std::fputs("\n", stderr);
  finishRun(state);
}

const char* schedulerName(int kind) {
  switch (kind) {
    case kSchedulerCups: return "CUPS";
    case kSchedulerLprng: return "LPRNG";
    case kSchedulerLpr: return "LPR";
    case kSchedulerLp: return "LP";
    default: return "Unknown";
  }
}

// The print system, the abandon report, and on CUPS its directories, version and admin commands.
void describePrintSystem(SetupState& state) {
  if (state.debugLevel > 0) std::fputs(msg::kDebugRootMode, stderr);
  state.schedulerKind = schedulerFromEnvironment();
  if (state.schedulerKind == kSchedulerUnknown) state.schedulerKind = probeScheduler(state);
  logLine(state, std::string(msg::kSystemScheduler) + schedulerName(state.schedulerKind) + "\n");

  state.notCups = state.schedulerKind != kSchedulerCups ? 1 : 0;
  state.abandon = (state.notCups == 1 || state.noFoomatic == 1) ? 1 : 0;
  reportAbandon(state);  // the install branch acts on it; the description goes on

  bool cups = state.schedulerKind == kSchedulerCups;
  if (cups) {
    logLine(state, format(msg::kCupsBaseDir, state.cupsBaseDir.c_str()));
    logLine(state, format(msg::kCupsBinaryDir, state.cupsBinDir.c_str()));
    state.cupsVersion = getCupsVersion(state);
  }
  if (state.debugLevel > 0) std::fputs(msg::kDebugFullInfo, stderr);
  if (cups) {
    state.cupsDataDir = findCupsDataDir(state);
    state.commands.lpadmin = findCupsCommand(state, "lpadmin").value_or("lpadmin");
    state.commands.lpstat = findCupsCommand(state, "lpstat").value_or("lpstat");
    logLine(state, format(msg::kLpadminIs, state.commands.lpadmin.c_str()));
    logLine(state, format(msg::kLpstatIs, state.commands.lpstat.c_str()));
  }
}

// Where PPDs live and where the package's PPDs go; in both modes.
void describePpdDirectories(SetupState& state) {
  std::string existingPpdDir;
  int linkCount = 0;
  state.ppdDirFlags = findPPDLocations(state, existingPpdDir);
  readModelLinks(state, linkCount);
  choosePPDInstallDir(state, existingPpdDir, linkCount);
}

// -n wins over every other mode (it changes nothing), then -d, then -r.
const char* runKind(const SetupState& state) {
  if (state.previewMode != 0) return "preview";
  if (state.deinstallMode != 0) return "deinstall";
  if (state.rollbackMode != 0) return "rollback";
  return "install";
}

// One run at a time: a second run stops here, before it changes anything, its run log included; so
// does a run that cannot take the lock. A caller that is not root changes nothing (it stops at the
// root check) and takes no lock.
void takeRunLockOrStop(SetupState& state) {
  if (state.userId != 0) return;
  long otherPid = 0;
  std::string why;
  int taken = takeRunLock(kRunLockDir, state.runLockFd, otherPid, why);
  if (taken == 1) return;
  std::string text = taken == 0 ? format(msg::kRunLocked, otherPid) : format(msg::kRunLockFailed, why.c_str());
  std::fputs(text.c_str(), stderr);
  std::exit(0);
}

// Neither the root nor a system directory is ever installed into or removed from.
void checkInstallDir(SetupState& state) {
  if (isUsableInstallDir(state.installDir)) return;
  std::string text = format(msg::kInstallDirNotOk, state.installDir.c_str());
  std::fputs((text + "\n").c_str(), stderr);
  logLine(state, text);
  abandonResult(state.result, text);
  finishRun(state);
}

void checkRoot(SetupState& state) {
  if (state.userId == 0) return;
  if (state.debugLevel > 0) std::fputs(msg::kMustBeRootDebug, stderr);
  logLine(state, std::string(msg::kMustBeRoot) + "\n");
  if (state.previewMode != 0) std::fputs(msg::kMustBeRoot, stderr);
  abandonResult(state.result, msg::kMustBeRootReason);
  finishRun(state);
}

}  // namespace

void setSourceDir(SetupState& state, const char* programPath) {
  if (programPath == nullptr || *programPath == '\0') return;
  state.sourceDir = programPath;
  if (state.sourceDir.front() == '/') {
    size_t lastSlash = state.sourceDir.rfind('/');
    if (lastSlash != 0) state.sourceDir.resize(lastSlash);
  } else {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) != nullptr) state.sourceDir = cwd;
  }
  if (state.sourceDir == "/opt/vyr/bin") state.sourceDir = "/opt/vyr";
  logLine(state, format(msg::kSourceDir, state.sourceDir.c_str()));
}

void reportAbandon(SetupState& state) {
  if (state.abandon == 0) return;
  logLine(state, msg::kAbandonedBecause);
  if (state.notCups == 1) logLine(state, msg::kNoCupsDaemon);
  if (state.noFoomatic == 1) logLine(state, msg::kNoFoomatic);
  // Only the install acts on it; the other runs still go on.
  if (state.result.kind == "install") {
    if (state.notCups == 1) abandonResult(state.result, msg::kNoCupsDaemon);
    if (state.noFoomatic == 1) abandonResult(state.result, msg::kNoFoomatic);
  }
  logLine(state, msg::kSorry);
}

void runSetup(SetupState& state, int argc, char** argv) {
  // Start-up, before the log exists.
  state.commands.selinuxenabled = findCommand("selinuxenabled");
  state.commands.chcon = findCommand("chcon");
  state.userId = static_cast<int>(getuid());
  state.groupId = static_cast<int>(getgid());
  state.seLinuxMode = seLinuxEnabled(state);
  parseFirstPass(state, argc, argv);
  state.result.start = state.runStart.tv_sec;
  state.result.kind = runKind(state);
  if (state.previewMode == 0) takeRunLockOrStop(state);  // a preview makes no lock file either
  if (state.deinstallMode == 0 && state.previewMode == 0 && state.seLinuxMode != 0) {
    std::fputs(msg::kSeLinuxModuleStep, stderr);
    installSeLinuxModule();  // its notes go to standard error: the log is not open yet
  }

  state.logPath = msg::kLogPath;
  if (state.previewMode == 0) state.logIsOpen = openRunLog(state, state.userId);
  resolveCommands(state);
  logLine(state, format(msg::kStartLine, localTimeLine().c_str()));
  setSourceDir(state, argc > 0 ? argv[0] : nullptr);
  checkStartDirectory(state);
  state.installDir = "/opt/vyr";
  state.manifestName = "ORVOINST.CONF";
  logLine(state, format(msg::kSeLinuxRunning, state.seLinuxMode != 0 ? "Yes" : "No"));
  if (state.seLinuxMode != 0) logLine(state, msg::kSeLinuxModuleInstalled);
  state.noFoomatic = hasFoomaticRip() == 0 ? 1 : 0;
  parseSecondPass(state, argc, argv);

  // The description of the machine.
  checkRoot(state);
  checkInstallDir(state);
  describePrintSystem(state);
  describePpdDirectories(state);

  // Queues and jobs an interrupted run left held are let go before anything else changes.
  if (state.previewMode == 0 && state.userId == 0) restoreHeldJobs(state);

  // The branch: each one ends the process.
  if (state.previewMode == 1) previewBranch(state);
  if (state.deinstallMode == 1) deinstallBranch(state);
  if (state.rollbackMode == 1) rollbackBranch(state);
  installBranch(state);
}
