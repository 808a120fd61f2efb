// The printer list: the package's printer queues, in order of addition.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct SetupState;

struct PrinterEntry {
  std::string modelName;  // model text of the queue's PPD
  std::string ppdPath;    // full path of the queue's current PPD
  std::string queueName;  // at most kQueueNameMax characters
  int modelId = 0;
  int listIndex = 0;  // 0 for the head, then 1, 2, ... in order of addition
  int pdlKind = 0;
};

inline constexpr size_t kQueueNameMax = 79;
// The largest information file read; the file lies where any user can write.
inline constexpr off_t kInfoFileMax = off_t{1} << 20;

// The head is the first printer and always exists; walkers take `count` entries from it,
// wrapping round the ring as the list's `next` links do.
struct PrinterList {
  std::vector<PrinterEntry> entries{PrinterEntry{}};

  PrinterEntry& head() { return entries.front(); }
  const PrinterEntry& head() const { return entries.front(); }
  // The entry reached by following `next` i times from the head.
  PrinterEntry& at(size_t i) { return entries[i % entries.size()]; }
  const PrinterEntry& at(size_t i) const { return entries[i % entries.size()]; }
  size_t ringSize() const { return entries.size(); }
};

// Appends an entry at the end of the ring; an absent list head ends the process with status 1.
void addPList(PrinterList* list, const PrinterEntry& entry);
// Drops every entry after the head; the head's own fields stay.
int clearPList(PrinterList& list);
// clearPList, then a zeroed head.
int resetPList(PrinterList& list);
// Reads the PRINTERS block of the information file of the given kind in installDir.
int readInfoPrinters(SetupState& state, int kind, PrinterList& list);
// Cuts trailing blanks and line feeds among the first `bound` characters; returns the new length.
size_t stripLineEnd(std::string& text, size_t bound);
// A queue name is used in a path only when it is one path component that fits its field, free
// of NUL and other control characters.
bool isUsableQueueName(const std::string& name);
// The name with each control character shown as a backslash and three octal digits, for the log.
std::string visibleName(const std::string& name);
