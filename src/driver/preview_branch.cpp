#include "driver/preview_branch.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "base/format.h"
#include "core/messages.h"
#include "core/run_end.h"
#include "core/setup_state.h"
#include "driver/install_branch.h"
#include "install/directory_helpers.h"
#include "install/existing_installation.h"
#include "install/install_manifest.h"
#include "queues/carry_preview.h"
#include "queues/printer_inventory.h"
#include "queues/scheduler_restart.h"

namespace {

// The package an installation would leave: new, over an older generation, or over itself.
void previewPackage(SetupState& state) {
  std::string previousDir;
  int kind = kPreviousNone;
  if (findPreviousInstall(previousDir, kind) == 1 && makeDir(state, previousDir, 0, 0) >= 0) {
    state.installDir = previousDir;
    state.upgradeMode = (kind == kPreviousOlder || kind == kPreviousCurrent) ? kind : 0;
  }
  if (!state.installDir.empty() && state.installDir.back() == '/') state.installDir.pop_back();
  state.result.package = packageOutcome(state.upgradeMode);
}

// Where the refresh would find new PPDs once the package is installed: the package's own PPD
// files that the manifest sends to the PPD directory ("?"), then the directories the refresh
// searches.
std::vector<std::string> newPpdDirectories(const SetupState& state) {
  std::vector<std::string> dirs;
  for (const ManifestItem& item : state.manifest) {
    if (item.destination != "?") continue;
    size_t slash = item.source.rfind('/');
    std::string dir = item.source.front() == '/' ? std::string() : state.sourceDir + "/";
    dir += slash == std::string::npos ? std::string(".") : item.source.substr(0, slash);
    if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.push_back(dir);
  }
  dirs.push_back(state.ppdInstallDir);
  dirs.push_back(kFallbackPpdDir);
  return dirs;
}

void previewQueue(SetupState& state, const PrinterEntry& printer, const std::vector<std::string>& dirs) {
  QueueResult& queue = state.result.addQueue(printer);
  queue.version = 1;  // the inventory takes only queues on the package's version-1 PPDs
  std::string newPpd;
  for (const std::string& dir : dirs) {
    if (findNewPPD(state, dir, printer, printer.pdlKind, printer.modelId, newPpd)) break;
  }
  if (newPpd.empty()) {
    queue.outcome = "skipped";
    queue.reason = "no new PPD";
    return;
  }
  queue.newPpd = newPpd;
  if (previewCarryOver(state, printer, newPpd) == 1) {
    queue.outcome = "would refresh";
  } else {
    queue.outcome = "skipped";
    queue.reason = "new PPD not readable";
  }
}

std::string fileName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string padded(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

// One table of rows, each column as wide as its widest cell, two blanks between columns.
void printTable(const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) line += c + 1 == row.size() ? row[c] : padded(row[c], widths[c] + 2);
    std::printf("%s\n", line.c_str());
  }
}

// The preview for a person: the queues, then their defaults, then the counts. Nothing in it
// depends on the time or on where the package was unpacked, so two machines can be compared.
void printText(const SetupState& state) {
  const RunResult& result = state.result;
  std::printf(msg::kPreviewTitle, state.installDir.c_str(), result.package.c_str());
  if (result.abandoned) {
    for (const std::string& reason : result.reasons) std::printf(msg::kPreviewAbandoned, reason.c_str());
    return;
  }
  std::vector<std::vector<std::string>> queues{{"Queue", "Model", "Version", "New PPD"}};
  std::vector<std::vector<std::string>> defaults{{"Queue", "Option", "Default", "Decision"}};
  int refreshed = 0, carried = 0, kept = 0;
  for (const QueueResult& queue : result.queues) {
    bool refresh = queue.outcome == "would refresh";
    refreshed += refresh ? 1 : 0;
    queues.push_back({queue.name, queue.model, std::to_string(queue.version),
                      refresh ? fileName(queue.newPpd) : "(" + queue.reason + ")"});
    for (const CarriedDefault& item : queue.carried)
      defaults.push_back({queue.name, item.option, item.value, "carried"});
    for (const KeptDefault& item : queue.kept)
      defaults.push_back(
          {queue.name, item.option, item.value, "new default kept (" + item.old + ": " + item.reason + ")"});
    carried += static_cast<int>(queue.carried.size());
    kept += static_cast<int>(queue.kept.size());
  }
  printTable(queues);
  if (defaults.size() > 1) {
    std::printf("\n");
    printTable(defaults);
  }
  std::printf(msg::kPreviewSummary, static_cast<int>(result.queues.size()), refreshed,
              static_cast<int>(result.queues.size()) - refreshed, carried, kept);
  if (int printing = jobsPrintingNow(); printing > 0) std::printf(msg::kPreviewRestartWaits, printing);
}

}  // namespace

void previewBranch(SetupState& state) {
  previewPackage(state);
  if (state.abandon == 0 && getInfoData(state) <= 0) state.abandon = 1;
  if (state.abandon != 0) {
    if (state.notCups == 1) abandonResult(state.result, msg::kNoCupsDaemon);
    if (state.noFoomatic == 1) abandonResult(state.result, msg::kNoFoomatic);
    if (state.notCups == 0 && state.noFoomatic == 0) abandonResult(state.result, msg::kInsufficientData);
  } else {
    PrinterList printers;
    int count = 0;
    getInstalledPrinters(state, printers, count);
    std::vector<PrinterEntry> taken;
    for (int i = 0; i < count; ++i) taken.push_back(printers.at(static_cast<size_t>(i)));
    std::sort(taken.begin(), taken.end(),
              [](const PrinterEntry& a, const PrinterEntry& b) { return a.queueName < b.queueName; });
    const std::vector<std::string> dirs = newPpdDirectories(state);
    for (const PrinterEntry& printer : taken) previewQueue(state, printer, dirs);
  }
  if (state.jsonOutput != 0)
    std::fputs(runResultJson(state.result, state.installDir, std::time(nullptr)).c_str(), stdout);
  else
    printText(state);
  std::fflush(stdout);
  finishRun(state);
}
