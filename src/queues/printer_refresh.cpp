#include "queues/printer_refresh.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string_view>
#include <vector>

#include "base/format.h"
#include "base/shell.h"
#include "base/temp_file.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/progress_line.h"
#include "core/prompts.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "queues/option_carry_over.h"
#include "queues/ppd_adapter.h"
#include "queues/ppd_replacement.h"
#include "queues/printer_config.h"
#include "queues/printer_inventory.h"
#include "queues/scheduler_cache.h"
#include "queues/scheduler_restart.h"

namespace {

constexpr size_t kCopyBlock = 40960;

void removeFile(const std::string& path) {
  if (!path.empty()) unlink(path.c_str());
}

void noteOutcome(QueueResult& result, const char* outcome, const char* reason) {
  result.outcome = outcome;
  result.reason = reason;
}

void refreshPrinter(SetupState& state, const std::string& ppdDir, OptList& options, const PrinterEntry& printer) {
  logLine(state, msg::kRule58);
  logLine(state, format(msg::kPrinterWithPpd, printer.queueName.c_str(), printer.ppdPath.c_str()));
  QueueResult& result = state.result.addQueue(printer);
  result.version = 1;  // the inventory takes only queues on the package's version-1 PPDs
  int nOptions = 0;
  getQueueOptions(state, printer.ppdPath, options, nOptions);
  // Without a backup the queue's PPD is the only copy of its defaults: it stays as it is.
  if (!savePPD(state, printer.ppdPath, printer.queueName)) {
    logLine(state, format(msg::kNotRefreshedNoBackup, printer.queueName.c_str()));
    noteOutcome(result, "skipped", "backup failed");
    return;
  }
  std::string outputPath;
  buildNewPPD(state, ppdDir, options, nOptions, printer, outputPath);
  if (outputPath.empty()) {
    noteOutcome(result, result.newPpd.empty() ? "skipped" : "failed",
                result.newPpd.empty() ? "no new PPD" : "new PPD could not be rewritten");
  } else if (!checkNewPPD(state, outputPath, options, printer.queueName)) {
    removeFile(outputPath);
    outputPath.clear();
    noteOutcome(result, "failed", "new PPD not usable");
  }
  if (installNewPPD(state, printer.ppdPath, outputPath) == 1) {
    noteOutcome(result, "refreshed", "");
    removeCachedAttributes(state, printer.queueName);
  }
  else if (result.outcome.empty())
    noteOutcome(result, "failed", "install copy failed");
  removeFile(outputPath);
  processPrinterConfig(state, printer.queueName);
}

// The prefixes of every temporary file the tool makes in /tmp (qixin, qixot for the refresh; QIX,
// QIXLPD, QIXLPRNG for the probes).
bool isOwnTemporaryName(std::string_view name) {
  return startsWith(name, "qixin") || startsWith(name, "qixot") || startsWith(name, "QIX");
}

// A carried value "Custom.<size>" selects the option's Custom choice.
bool marksValue(const MarkedDefault& option, const std::string& value) {
  return option.marked == value || (startsWith(value, "Custom.") && option.marked == "Custom");
}

}  // namespace

void removeRefreshLeftovers(SetupState& state) {
  const timespec& runStart = state.runStart;
  std::string ppdDir = cupsPpdDirectory(state);
  std::string backupPath = backupPathFor(ppdDir + "/q.ppd", "q");
  removeStaleFiles(state, "/tmp", isOwnTemporaryName, runStart);
  removeStaleFiles(state, ppdDir, isSiblingName, runStart);
  std::string backupDir = backupPath.substr(0, backupPath.rfind('/'));
  if (backupDir != ppdDir) removeStaleFiles(state, backupDir, isSiblingName, runStart);
}

int checkNewPPD(SetupState& state, const std::string& newPpdPath, const OptList& options,
                const std::string& queueName) {
  std::string error;
  std::optional<MarkedDefaults> defaults = readMarkedDefaults(newPpdPath, error);
  if (!defaults) {
    logLine(state, format(msg::kNewPpdUnreadable, newPpdPath.c_str(), queueName.c_str(), error.c_str()));
    return 0;
  }
  for (const OptEntry& old : options.entries) {
    auto option = defaults->find(old.keyword);
    // Only a default that holds the old choice was carried; the others are the new PPD's own.
    if (option == defaults->end() || option->second.defchoice != old.choice) continue;
    if (!marksValue(option->second, old.choice)) {
      logLine(state, format(msg::kCarriedDefaultUnmarked, newPpdPath.c_str(), queueName.c_str(), old.keyword.c_str(),
                            old.choice.c_str()));
      return 0;
    }
  }
  return 1;
}

int updatePrinterPPDs(SetupState& state, const std::string& ppdDir, PrinterList& list, int count, int ask) {
  if (count <= 0) return 0;
  OptList options;
  for (int i = 0; i < count; ++i) {
    const PrinterEntry& printer = list.at(static_cast<size_t>(i));
    if (ask) {
      clearProgress(state);
      AnswerKind answer = askYesNoAll(format(msg::kAskUpdatePrinter, printer.queueName.c_str()));
      if (answer == kAnswerBreak) return 1;  // no restart from here
      if (answer == kAnswerNo) {
        noteOutcome(state.result.addQueue(printer), "skipped", "declined");
        continue;
      }
      if (answer == kAnswerAll) ask = 0;
    }
    showProgress(state, format(msg::kProgressQueue, i + 1, count, printer.queueName.c_str()));
    refreshPrinter(state, ppdDir, options, printer);
    clearOptList(options);
  }
  clearProgress(state);
  restartScheduler(state);
  return 1;
}

void buildNewPPD(SetupState& state, const std::string& ppdDir, const OptList& options, int nOptions,
                 const PrinterEntry& printer, std::string& outputPath) {
  outputPath.clear();
  const char* queue = printer.queueName.c_str();
  logLine(state, format(msg::kProcessingPpdFiles, queue));
  std::string newPpd;
  if (!findNewPPD(state, ppdDir, printer, printer.pdlKind, printer.modelId, newPpd) &&
      !findNewPPD(state, kFallbackPpdDir, printer, printer.pdlKind, printer.modelId, newPpd)) {
    logLine(state, msg::kPpdNotFound);
    return;
  }
  logLine(state, format(msg::kPpdIs, newPpd.c_str()));
  if (QueueResult* result = state.result.current()) result->newPpd = newPpd;

  // Both names are taken exclusively, so nothing planted in /tmp can receive these writes.
  bool compressed = contains(newPpd, ".gz");
  std::string inputPath = makeTempFile("/tmp/qixin", compressed ? ".gz" : "");
  std::string output = makeTempFile("/tmp/qixot");
  if (inputPath.empty() || output.empty()) {
    removeFile(inputPath);
    removeFile(output);
    logLine(state, format(msg::kProblemOpening, inputPath.empty() ? "/tmp/qixin" : "/tmp/qixot", queue));
    return;
  }
  TempFileGuard compressedInput(compressed ? inputPath : std::string());
  if (!copyFile(newPpd, inputPath)) {
    // An incomplete compressed copy is one that cannot be decompressed; a plain one cannot be read.
    removeFile(output);
    if (compressed) {
      logLine(state, format(msg::kProblemDecompressing, inputPath.c_str(), queue));
    } else {
      logLine(state, format(msg::kProblemOpening, inputPath.c_str(), queue));
    }
    return;
  }
  if (compressed) {
    int status = runShell(format("%s -d %s", shellWord(state.commands.gzip).c_str(), shellWord(inputPath).c_str()));
    if (status != 0) {
      removeFile(output);
      logLine(state, format(msg::kProblemDecompressing, inputPath.c_str(), queue));
      return;
    }
    inputPath.resize(inputPath.size() - 3);  // gzip wrote the name without ".gz"
  }
  TempFileGuard plainInput(inputPath);

  FileHandle input(inputPath, "r");
  if (!input) {
    removeFile(output);
    logLine(state, format(msg::kProblemOpening, inputPath.c_str(), queue));
    return;
  }
  FileHandle out(output, "w");
  if (!out) {
    removeFile(output);
    logLine(state, format(msg::kProblemOpening, output.c_str(), queue));
    return;
  }
  OfferedChoices offered = offeredChoices(inputPath);
  processNewPPD(state, input.get(), out.get(), options, nOptions, offered);
  bool complete = !std::ferror(input.get()) && !std::ferror(out.get());
  complete = (out.close() == 0) && complete;
  if (!complete) {
    // A partial PPD must never reach the queue.
    removeFile(output);
    logLine(state, format(msg::kProblemOpening, output.c_str(), queue));
    return;
  }
  outputPath = output;
  logLine(state, format(msg::kNewPpdFor, queue, output.c_str()));
}

std::string backupPathFor(const std::string& ppdPath, const std::string& queueName) {
  size_t ppdAt = ppdPath.find("/ppd");
  std::string base = ppdAt == std::string::npos ? ppdPath : ppdPath.substr(0, ppdAt + 1);
  return base + queueName + ".ppd.rpmsave";
}

int savePPD(SetupState& state, const std::string& ppdPath, const std::string& queueName) {
  std::string backup = backupPathFor(ppdPath, queueName);
  int status = -1;
  std::string reason;
  int done = replaceByCopy(state, ppdPath, backup, ppdPath, status, reason);
  logLine(state, format(msg::kSaving, ppdPath.c_str(), backup.c_str(), status));
  // A failed copy command speaks for itself in the status.
  if (!done && status <= 0) logLine(state, format(msg::kNotReplaced, backup.c_str(), reason.c_str()));
  return done;
}

int installNewPPD(SetupState& state, const std::string& ppdPath, const std::string& newPpdPath) {
  int status = -1;
  std::string reason;
  int done = replaceByCopy(state, newPpdPath, ppdPath, ppdPath, status, reason);
  logLine(state, format(msg::kCopying, newPpdPath.c_str(), ppdPath.c_str(), status));
  if (!done && status <= 0) logLine(state, format(msg::kNotReplaced, ppdPath.c_str(), reason.c_str()));
  return done;
}

bool copyFile(const std::string& from, const std::string& to) {
  FileHandle source(from, "rb");
  if (!source) return false;
  FileHandle destination(to, "wb");
  if (!destination) return false;
  std::vector<char> block(kCopyBlock);
  size_t got = 0;
  bool ok = true;
  do {
    got = std::fread(block.data(), 1, block.size(), source.get());
    if (got > 0 && std::fwrite(block.data(), 1, got, destination.get()) != got) ok = false;
  } while (ok && got == block.size());
  if (std::ferror(source.get())) ok = false;
  return destination.close() == 0 && ok;
}
