#include "queues/opt_list.h"

#include <gtest/gtest.h>

namespace {

// Entries keep their order of addition; the first of two with the same keyword is found; the head
// holds no option and never matches.
TEST(OptListTest, FindsKeywordsExactlyAndCaseSensitivelyInOrderOfAddition) {
  OptList list;
  list.head.keyword = "Head";
  const std::pair<const char*, const char*> added[] = {
      {"PageSize", "A4"}, {"PageRegion", "A5"}, {"pagesize", "Legal"}, {"Duplex", "None"}, {"Duplex", "DuplexTumble"}};
  for (const auto& [keyword, choice] : added) addOptList(&list, OptEntry{keyword, choice, 0});
  const std::pair<const char*, const char*> cases[] = {
      {"*PageSize", "A4"}, {"*pagesize", "Legal"}, {"*PAGESIZE", nullptr}, {"*Page", nullptr}, {"*PageSizes", nullptr},
      {"*Duplex", "None"}, {"*Head", nullptr},     {"*", nullptr},         {"", nullptr},
  };
  for (const auto& [starKeyword, choice] : cases) {
    const OptEntry* entry = findOpt(list, starKeyword);
    EXPECT_EQ(entry ? entry->choice : "(none)", choice ? choice : "(none)") << starKeyword;
  }
}

}  // namespace
