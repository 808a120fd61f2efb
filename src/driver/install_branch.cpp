#include "driver/install_branch.h"

#include <cstdio>

#include "base/format.h"
#include "base/trusted_path.h"
#include "core/messages.h"
#include "core/prompts.h"
#include "core/run_end.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "install/directory_helpers.h"
#include "install/existing_installation.h"
#include "install/install_dir_check.h"
#include "install/install_engine.h"
#include "install/install_manifest.h"
#include "queues/printer_inventory.h"
#include "queues/printer_refresh.h"
#include "queues/scheduler_restart.h"
#include "queues/served_check.h"

namespace {

// An earlier installation whose directory still exists is upgraded in place.
void takeOverPreviousInstallation(SetupState& state) {
  int kind = -1;
  Distrusted distrusted;
  int found = findPreviousInstall(state.previousDir, kind, &distrusted);
  for (const auto& [path, why] : distrusted) logLine(state, format(msg::kUntrustedSkipped, path.c_str(), why.c_str()));
  if (found != 1) {
    logLine(state, msg::kNewInstallation);
    return;
  }
  logLine(state, format(msg::kFoundExisting, state.previousDir.c_str()));
  // The recorded directory passes the same check as -u, and is root's, out of other users' reach.
  keepOthersFromRenaming(state, state.previousDir);
  std::string why = distrustOf(state.previousDir);
  if (!why.empty()) logLine(state, format(msg::kUntrustedSkipped, state.previousDir.c_str(), why.c_str()));
  if (!isUsableInstallDir(state.previousDir) || !why.empty() || makeDir(state, state.previousDir, 0, 0755) < 0) {
    logLine(state, format(msg::kInstallDirNotOk, state.previousDir.c_str()));
    return;
  }
  state.installDir = state.previousDir;
  state.upgradeMode = (kind == 1 || kind == 2) ? kind : 0;
  logLine(state, format(msg::kUpgradeMode, state.upgradeMode));
  logLine(state, format(msg::kInstallDirOk, state.previousDir.c_str()));
  readInfoPrinters(state, kind, state.printers);
  logLine(state, format(msg::kPrintersFound, state.printerCount));
  resetPList(state.printers);
}

const char* installQuestion(int upgradeMode) {
  if (upgradeMode == 1) return msg::kAskUpdateOld;
  if (upgradeMode == 2) return msg::kAskUpdate;
  return msg::kAskInstall;
}

}  // namespace

const char* packageOutcome(int upgradeMode) {
  if (upgradeMode == 1) return "updated";
  if (upgradeMode == 2) return "reinstalled";
  return "installed";
}

void installBranch(SetupState& state) {
  resetPList(state.printers);
  // An installation made when its directory was open to every user is closed before anything in it is read.
  keepOthersFromRenaming(state, kDefaultInstallDir);
  keepOthersFromRenaming(state, state.installDir);
  takeOverPreviousInstallation(state);
  if (!state.installDir.empty() && state.installDir.back() == '/') state.installDir.pop_back();

  int itemCount = getInfoData(state);
  if (itemCount <= 0) {
    logLine(state, format(msg::kMissingInfo, state.sourceDir.c_str(), state.manifestName.c_str()));
    state.abandon = 1;
  }
  if (state.abandon == 1) {
    logLine(state, msg::kInsufficientData);
    abandonResult(state.result, msg::kInsufficientData);
    finishRun(state);
  }

  if (state.queryMode != 0 && askYesNo(installQuestion(state.upgradeMode)) != kAnswerYes) {
    std::fputs(msg::kAbandonedByUser, stderr);
    std::fputs("\n", stderr);
    logLine(state, msg::kAbandonedByUser);
    abandonResult(state.result, msg::kAbandonedByUser);
    finishRun(state);
  }

  goInstall(state, itemCount);
  state.result.package = packageOutcome(state.upgradeMode);

  int printerCount = 0;
  removeRefreshLeftovers(state);
  getInstalledPrinters(state, state.printers, printerCount);
  if (printerCount > 0) updatePrinterPPDs(state, state.ppdInstallDir, state.printers, printerCount, state.queryMode);
  // The refresh's restart, when it made one or left one pending, serves the installation too:
  // nothing changed in between.
  if (!state.result.restarted && !state.result.restartPending) restartScheduler(state);
  checkServedQueues(state);
  finishRun(state);
}
