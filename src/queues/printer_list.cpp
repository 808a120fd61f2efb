#include "queues/printer_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/format.h"
#include "base/trusted_path.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"

namespace {

constexpr const char* kOldInfoFile = "%s/orvoInfo2.0";
constexpr const char* kInfoFile = "%s/orvoInfo4.0";
constexpr const char* kPrintersBegin = "%%QIXBLOCK_PRINTERS_BEGIN";
constexpr const char* kPrintersEnd = "%%QIXBLOCK_PRINTERS_END";
bool isBlankOrNewline(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// One line of the information file without its trailing blanks and line feed. The line is read
// whole, so a name too long for its field is seen as one line and never split into two names.
bool readInfoLine(std::FILE* file, std::string& line) {
  if (!readWholeLine(file, line)) return false;
  stripLineEnd(line, line.size());
  return true;
}

}  // namespace

void addPList(PrinterList* list, const PrinterEntry& entry) {
  if (list == nullptr) {
    std::fputs(msg::kAddPListNull, stderr);
    std::exit(1);
  }
  list->entries.push_back(entry);
}

int clearPList(PrinterList& list) {
  list.entries.resize(1);
  return 0;
}

int resetPList(PrinterList& list) {
  clearPList(list);
  list.head() = PrinterEntry{};
  return 0;
}

size_t stripLineEnd(std::string& text, size_t bound) {
  size_t keep = std::min(text.size(), bound);
  while (keep > 0 && isBlankOrNewline(text[keep - 1])) --keep;
  text.resize(keep);
  return keep;
}

bool isUsableQueueName(const std::string& name) {
  auto isControl = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; };
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.size() <= kQueueNameMax && std::none_of(name.begin(), name.end(), isControl);
}

std::string visibleName(const std::string& name) {
  std::string shown;
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    shown += (byte < 0x20 || byte == 0x7f) ? format("\\%03o", byte) : std::string(1, c);
  }
  return shown;
}

int readInfoPrinters(SetupState& state, int kind, PrinterList& list) {
  std::string path = format(kind == 1 ? kOldInfoFile : kInfoFile, state.installDir.c_str());
  // The file lies in the shared installation directory: only root's own file names queues, and no
  // link, FIFO or endless file is read.
  FileHandle file;
  std::string why;
  int opened = openTrustedFile(path, kInfoFileMax, file, why);
  if (opened < 0) logLine(state, format(msg::kUntrustedSkipped, path.c_str(), why.c_str()));
  if (opened <= 0) return 0;

  std::string line;
  bool inBlock = false;
  while (readInfoLine(file.get(), line)) {
    if (line == kPrintersBegin) {
      inBlock = true;
      break;
    }
  }
  if (!inBlock) return 0;

  clearPList(list);
  int taken = 0;
  while (readInfoLine(file.get(), line) && line != kPrintersEnd) {
    // Every line keeps its place, usable as a queue name or not: the head is always the block's
    // first line. Whoever uses a name checks it (isUsableQueueName).
    if (taken == 0) {
      PrinterEntry& head = list.head();
      head.queueName = line;
      head.listIndex = 0;
      head.pdlKind = 0;
    } else {
      PrinterEntry entry;
      entry.queueName = line;
      entry.listIndex = taken;
      addPList(&list, entry);
    }
    ++taken;
  }
  state.printerCount = taken > 0 ? static_cast<int>(list.ringSize()) : 0;
  return 1;
}
