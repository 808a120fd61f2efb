// The printer list record: the package's printer queues, in order of addition.
#pragma once

#include <string>
#include <vector>

struct PrinterEntry {
  std::string modelName;  // model text of the queue's PPD
  std::string ppdPath;    // full path of the queue's current PPD
  std::string queueName;  // at most kQueueNameMax characters
  int modelId = 0;
  int listIndex = 0;  // 0 for the head, then 1, 2, ... in order of addition
  int pdlKind = 0;
};

inline constexpr size_t kQueueNameMax = 79;

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
