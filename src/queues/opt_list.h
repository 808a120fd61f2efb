// The option list: the option defaults of a queue's old PPD, in order of collection.
#pragma once

#include <string>
#include <vector>

// PPD option keywords and choice names hold at most 40 characters (the PPD library's limit).
inline constexpr size_t kOptNameMax = 40;

struct OptEntry {
  std::string keyword;  // option keyword without its "*", e.g. PageSize
  std::string choice;   // the option's default choice in the old PPD
  int index = 0;        // 1-based position in order of collection; 0 for the head
};

// A head that holds no option, then the entries in order of collection. Walking from the
// head visits `entries` in order and comes back to the head.
struct OptList {
  OptEntry head;
  std::vector<OptEntry> entries;
};

// A new, empty entry (empty keyword and choice, index 0).
OptEntry newOptEntry();
// Appends the entry after the last one. An absent list is a programming error: it is
// reported on standard error and the process ends with status 1.
void addOptList(OptList* list, const OptEntry& entry);
// Drops every entry after the head. Returns 0.
int clearOptList(OptList& list);
// The first entry whose keyword equals starKeyword less its first character, the "*" (exact,
// case-sensitive); none when nothing follows the "*". The head never matches.
const OptEntry* findOpt(const OptList& list, const std::string& starKeyword);
