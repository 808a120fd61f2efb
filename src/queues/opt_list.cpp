#include "queues/opt_list.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/messages.h"

OptEntry newOptEntry() { return OptEntry{}; }

void addOptList(OptList* list, const OptEntry& entry) {
  if (list == nullptr) {
    std::fputs(msg::kAddOptListNull, stderr);
    std::exit(1);
  }
  list->entries.push_back(entry);
}

int clearOptList(OptList& list) {
  list.entries.clear();
  return 0;
}

const OptEntry* findOpt(const OptList& list, const std::string& starKeyword) {
  // The keyword comes as the PPD writes it, "*PageSize"; entries hold it without the "*".
  if (starKeyword.size() < 2) return nullptr;
  std::string_view keyword = std::string_view(starKeyword).substr(1);
  for (const OptEntry& entry : list.entries)
    if (entry.keyword == keyword) return &entry;
  return nullptr;
}
