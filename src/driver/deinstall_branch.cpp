#include "driver/deinstall_branch.h"

#include <cstdio>
#include <string>

#include "base/format.h"
#include "core/messages.h"
#include "core/prompts.h"
#include "core/run_end.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "install/directory_helpers.h"
#include "install/existing_installation.h"
#include "install/install_engine.h"
#include "queues/printer_list.h"
#include "uninstall/deinstallation.h"

void deinstallBranch(SetupState& state) {
  state.printers = PrinterList{};

  keepOthersFromRenaming(state, kDefaultInstallDir);
  keepOthersFromRenaming(state, state.installDir);
  int kind = -1;
  Distrusted distrusted;
  int found = findPreviousInstall(state.previousDir, kind, &distrusted);
  for (const auto& [path, why] : distrusted) logLine(state, format(msg::kUntrustedSkipped, path.c_str(), why.c_str()));
  if (found == 0) {
    for (const char* text : {msg::kNoInstallation, msg::kSorry}) {
      std::fputs(text, stderr);
      logLine(state, text);
    }
    abandonResult(state.result, msg::kNoInstallation);
    finishRun(state);
  }

  // Package files are removed only where the package's information file shows an installation.
  if (!holdsInstallation(state.installDir)) {
    std::string text = format(msg::kInstallDirNotOk, state.installDir.c_str());
    std::fputs((text + "\n").c_str(), stderr);
    logLine(state, text);
    abandonResult(state.result, text);
    finishRun(state);
  }

  // Removing only what setup made (-k) is the package manager's step: it asks only with -q.
  const bool keepQueues = state.keepQueuesMode != 0;
  const bool confirmed = keepQueues ? state.queryMode == 0 || askYesNo(msg::kAskRemoveKeepQueues) == kAnswerYes
                                    : askYesNo(msg::kAskDelete) == kAnswerYes;
  if (confirmed && keepQueues) {
    deleteSetupFiles(state);
    state.result.package = "removed";
  } else if (confirmed) {
    // installDir stays as the default or -u set it; the earlier installation's directory
    // only proves that there is something to remove.
    readInfoPrinters(state, kind, state.printers);
    logLine(state, format(msg::kPrintersFound, state.printerCount));
    deletePrinterQueues(state);
    deletePackageFiles(state);
    state.result.package = "removed";
  } else {
    abandonResult(state.result, msg::kAbandonedByUser);
  }

  const char* finalMessage = !confirmed   ? msg::kAbandonedByUser
                             : keepQueues ? msg::kSetupFilesRemoved
                                          : msg::kUninstalled;
  std::fputs(finalMessage, stderr);
  std::fputs("\n", stderr);
  logLine(state, finalMessage);
  finishRun(state);
}
