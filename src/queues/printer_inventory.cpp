#include "queues/printer_inventory.h"

#include <cups/file.h>
#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <memory>

#include "base/format.h"
#include "base/regular_file.h"
#include "base/text.h"
#include "base/trusted_path.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "queues/model_table.h"

namespace {

constexpr std::string_view kModelNameKey = "*ModelName:";
constexpr std::string_view kVersionMarker = "*% Orvo version:";
constexpr std::string_view kQueuePpdSuffix = ".ppd";
constexpr size_t kPdlWindow = 8;

struct CupsFileCloser {
  void operator()(cups_file_t* file) const { cupsFileClose(file); }
};
using DirHandle = DirHandle;
using CupsFileHandle = std::unique_ptr<cups_file_t, CupsFileCloser>;

// The kind named in the 8 characters before the line's last character (its line end, when the
// line was read with one, or the closing quote).
int pdlKindOfLine(std::string_view line) {
  size_t last = line.empty() ? 0 : line.size() - 1;
  size_t start = last > kPdlWindow ? last - kPdlWindow : 0;
  std::string_view window = line.substr(start, last - start);
  if (contains(window, " PCL")) return kPdlPcl;
  if (contains(window, " PXL")) return kPdlPxl;
  if (contains(window, " PS")) return kPdlPostScript;
  return kPdlUnknown;
}

// Only "<queue>.ppd" names are queue PPDs: the scheduler's "<queue>.ppd.O" backup and its
// "<queue>.ppd.N" work file belong to the same queue and are passed over.
bool isQueuePpdName(std::string_view name) { return endsWith(name, kQueuePpdSuffix); }

// What the first 30 pieces of a queue PPD say about its model and the package's marker.
struct QueuePpdFacts {
  std::optional<std::string> model;
  int modelId = 0;
  int pdlKind = kPdlUnknown;
  int marker = -1;
};

// Lines longer than kPpdPieceMax are read in pieces, each of which counts as one line of the
// window, as a 256-byte line buffer would take them; they are only scanned, never written.
QueuePpdFacts scanQueuePpd(std::FILE* file) {
  QueuePpdFacts facts;
  std::string piece;
  for (int read = 0; read < kInventoryWindowLines && readPiece(file, piece, kPpdPieceMax); ++read) {
    if (!facts.model) {
      int kind = kPdlUnknown;
      int id = 0;
      if (auto model = matchModelLine(piece, kind, id)) {
        facts.model = std::move(model);
        facts.modelId = id;
        facts.pdlKind = kind;
      }
    }
    if (facts.marker < 1) {
      int version = getPPDVersion(piece);
      if (version >= 1) facts.marker = version;
    }
    if (facts.model && facts.marker >= 1) break;
  }
  return facts;
}

// Reads every file of a package PPD directory once, in listing order. False when the
// directory cannot be listed.
// A queue gets its new PPD only from a directory, and a file, that no other user can have changed
// (the fallback directory lies in the shared installation directory).
bool indexPackageDirectory(SetupState& state, const std::string& dir, std::vector<PackagePpd>& ppds) {
  std::string why = distrustOf(dir);
  if (!why.empty() && pathExists(dir)) logLine(state, format(msg::kUntrustedSkipped, dir.c_str(), why.c_str()));
  DirHandle listing(why.empty() ? opendir(dir.c_str()) : nullptr);
  if (!listing) return false;
  while (const dirent* item = readdir(listing.get())) {
    std::string_view name = item->d_name;
    if (name == "." || name == "..") continue;
    std::string path = format("%s/%s", dir.c_str(), item->d_name);
    struct stat info {};
    if (fstatat(dirfd(listing.get()), item->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
        !(why = distrustOfObject(path, info)).empty()) {
      logLine(state, format(msg::kUntrustedSkipped, path.c_str(), why.c_str()));
      continue;
    }
    PackagePpd ppd;
    ppd.path = path;
    int kind = kPdlUnknown;
    int id = 0;
    if (auto model = getPPDModel(state, ppd.path, kind, id)) {
      ppd.modelText = std::move(*model);
      ppd.modelId = id;
      ppd.pdlKind = kind;
    }
    ppds.push_back(std::move(ppd));
  }
  return true;
}

void logPrinterName(SetupState& state, const PrinterEntry& entry) {
  if (entry.queueName.empty()) {
    logLine(state, msg::kPrinterUnknown);
  } else {
    logLine(state, format(msg::kPrinterName, entry.queueName.c_str()));
  }
}

}  // namespace

std::optional<std::string> matchModelLine(std::string_view line, int& pdlKind, int& modelId) {
  size_t key = line.find(kModelNameKey);
  if (key == std::string_view::npos) return std::nullopt;
  pdlKind = pdlKindOfLine(line);

  size_t begin = key + kModelNameKey.size();
  while (begin < line.size() && isBlank(line[begin])) ++begin;
  size_t end = line.size();
  while (end > begin && (line[end - 1] == '\n' || line[end - 1] == '\r' || isBlank(line[end - 1]))) --end;
  std::string_view text = line.substr(begin, end - begin);

  for (const ModelEntry& row : modelTable()) {
    if (contains(text, row.name)) {
      modelId = row.id;
      return std::string(text);
    }
  }
  return std::nullopt;
}

int getPPDVersion(std::string_view line) {
  size_t marker = line.find(kVersionMarker);
  if (marker == std::string_view::npos) return -1;
  size_t at = marker + kVersionMarker.size();
  while (at < line.size() && isBlank(line[at])) ++at;
  if (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]))) return line[at] - '0';
  return -1;
}

std::optional<std::string> getPPDModel(SetupState& state, const std::string& path, int& pdlKind, int& modelId) {
  // The CUPS file interface reads gzip-compressed PPDs as well as plain ones. The fallback
  // directory lies in the shared installation directory: a link or FIFO there is not opened.
  FileHandle plain;
  int fd = openRegularFile(path, kQueuePpdMax, plain) == 1 ? dup(fileno(plain.get())) : -1;
  CupsFileHandle file(fd >= 0 ? cupsFileOpenFd(fd, "r") : nullptr);
  if (fd >= 0 && !file) close(fd);
  if (!file) {
    std::fputs(format(msg::kUnableToOpen, path.c_str()).c_str(), stderr);
    return std::nullopt;
  }
  ++state.newPpdIndex.filesOpened;
  char line[kPpdPieceMax + 1];
  while (!cupsFileEOF(file.get())) {
    if (cupsFileGets(file.get(), line, sizeof line) == nullptr) break;
    if (auto model = matchModelLine(line, pdlKind, modelId)) return model;
  }
  return std::nullopt;
}

int findNewPPD(SetupState& state, const std::string& dir, const PrinterEntry& entry, int pdlKind, int modelId,
               std::string& pathOut) {
  logLine(state, format(msg::kGettingPpdFrom, dir.c_str()));
  NewPpdIndex& index = state.newPpdIndex;
  auto known = index.listable.find(dir);
  if (known == index.listable.end()) {
    std::vector<PackagePpd>& ppds = index.byDirectory[dir];
    known = index.listable.emplace(dir, indexPackageDirectory(state, dir, ppds)).first;
  }
  if (!known->second) return 0;

  for (const PackagePpd& ppd : index.byDirectory[dir]) {
    if (ppd.modelText.empty()) continue;  // no table model in this file
    if (startsWith(ppd.modelText, entry.modelName) && ppd.modelId == modelId && ppd.pdlKind == pdlKind) {
      pathOut = ppd.path;
      return 1;
    }
  }
  return 0;
}

int getInstalledPrinters(SetupState& state, PrinterList& printers, int& count) {
  count = 0;
  std::string dir = cupsPpdDirectory(state);
  {
    DirHandle listing(opendir(dir.c_str()));
    if (!listing) return 0;
    while (const dirent* item = readdir(listing.get())) {
      std::string_view name = item->d_name;
      if (!isQueuePpdName(name)) continue;
      std::string path = format("%s/%s", dir.c_str(), item->d_name);
      QueuePpdFacts facts;
      {
        // Opened without following a link or waiting on a FIFO planted under a queue's name.
        FileHandle file;
        int opened = openRegularFile(path, kQueuePpdMax, file);
        if (opened < 0) logLine(state, format(msg::kUnsafeFileSkipped, path.c_str()));
        if (opened <= 0) continue;
        facts = scanQueuePpd(file.get());
      }
      // Only queues on the package's version-1 PPDs for a known language are refreshed.
      if (!facts.model || facts.marker != 1 || facts.pdlKind == kPdlUnknown) continue;

      std::string queueName(name.substr(0, name.size() - kQueuePpdSuffix.size()));
      if (!isUsableQueueName(queueName)) {
        logLine(state, format(msg::kQueueNameSkipped, visibleName(queueName).c_str()));
        continue;
      }
      PrinterEntry entry;
      entry.modelName = std::move(*facts.model);
      entry.ppdPath = path;
      entry.queueName = queueName;
      entry.modelId = facts.modelId;
      entry.pdlKind = facts.pdlKind;
      entry.listIndex = count;
      if (count == 0) {
        // The ring holds exactly the queues found here.
        clearPList(printers);
        printers.head() = std::move(entry);
      } else {
        addPList(&printers, entry);
      }
      ++count;
    }
  }
  logInstalledPrinters(state, printers, count);
  logNewPPDs(state, state.ppdInstallDir, printers, count);
  return count > 0 ? 1 : 0;
}

void logInstalledPrinters(SetupState& state, const PrinterList& printers, int count) {
  logLine(state, format(msg::kInstalledPrinters, count));
  for (int i = 0; i < count; ++i) {
    const PrinterEntry& entry = printers.at(static_cast<size_t>(i));
    logPrinterName(state, entry);
    logLine(state, format(msg::kPrinterPpdFile, entry.ppdPath.c_str()));
    logLine(state, format(msg::kPrinterModel, entry.modelName.c_str()));
    logLine(state, format(msg::kPrinterOstraId, entry.modelId));
    logLine(state, pdlLogText(entry.pdlKind));
  }
}

void logNewPPDs(SetupState& state, const std::string& dir, const PrinterList& printers, int count) {
  logLine(state, format(msg::kPpdFilesToInstall, count));
  for (int i = 0; i < count; ++i) {
    const PrinterEntry& entry = printers.at(static_cast<size_t>(i));
    logPrinterName(state, entry);
    std::string path;
    if (findNewPPD(state, dir, entry, entry.pdlKind, entry.modelId, path) ||
        findNewPPD(state, kFallbackPpdDir, entry, entry.pdlKind, entry.modelId, path)) {
      logLine(state, format(msg::kPpdIs, path.c_str()));
    } else {
      logLine(state, msg::kPpdNotFound);
    }
  }
}

std::string cupsPpdDirectory(const SetupState& state) {
  if (state.cupsBaseDir.empty() || state.cupsBaseDir == "/") return "/etc/cups/ppd";
  return format("%s/etc/cups/ppd", state.cupsBaseDir.c_str());
}

int queuePpdVersion(const std::string& path) {
  FileHandle file;
  if (openRegularFile(path, kQueuePpdMax, file) != 1) return -1;
  QueuePpdFacts facts = scanQueuePpd(file.get());
  return facts.model ? facts.marker : -1;
}
