#include "queues/printer_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/format.h"
#include "base/text.h"
#include "driver/messages.h"
#include "driver/run_log.h"
#include "driver/setup_state.h"

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
  bool control = std::any_of(name.begin(), name.end(), [](char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
  });
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.size() <= kQueueNameMax && !control;
}

int readInfoPrinters(SetupState& state, int kind, PrinterList& list) {
  std::string path = format(kind == 1 ? kOldInfoFile : kInfoFile, state.installDir.c_str());
  FileHandle file(path, "r");
  if (!file) return 0;

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
    // A name that does not fit its field is passed over whole, never cut to fit.
    if (line.size() > kQueueNameMax) {
      logLine(state, format(msg::kQueueNameSkipped, line.c_str()));
      continue;
    }
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
