#include "queues/opt_list.h"

#include <gtest/gtest.h>

namespace {

OptList listOf(std::initializer_list<std::pair<const char*, const char*>> pairs) {
  OptList list;
  for (const auto& [keyword, choice] : pairs) {
    OptEntry entry = newOptEntry();
    entry.keyword = keyword;
    entry.choice = choice;
    entry.index = static_cast<int>(list.entries.size()) + 1;
    addOptList(&list, entry);
  }
  return list;
}

TEST(OptListTest, KeepsEntriesInOrderOfAdditionAndClearsToTheHead) {
  OptList list = listOf({{"PageSize", "A4"}, {"Duplex", "DuplexTumble"}, {"ColorModel", "Gray"}});
  ASSERT_EQ(list.entries.size(), 3u);
  EXPECT_EQ(list.entries[0].keyword, "PageSize");
  EXPECT_EQ(list.entries[2].keyword, "ColorModel");
  EXPECT_EQ(list.entries[2].index, 3);
  EXPECT_EQ(clearOptList(list), 0);
  EXPECT_TRUE(list.entries.empty());
  EXPECT_EQ(findOpt(list, "*PageSize"), nullptr);
}

TEST(OptListTest, FindsKeywordsExactlyAndCaseSensitively) {
  OptList list = listOf({{"PageSize", "A4"}, {"PageRegion", "A5"}, {"pagesize", "Legal"}, {"Duplex", "None"}});
  list.head.keyword = "Head";  // the head holds no option and never matches
  struct Case {
    const char* starKeyword;
    const char* choice;  // nullptr: no entry
  } cases[] = {
      {"*PageSize", "A4"}, {"*pagesize", "Legal"}, {"*PAGESIZE", nullptr}, {"*Page", nullptr}, {"*PageSizes", nullptr},
      {"*Duplex", "None"}, {"*Head", nullptr},     {"*", nullptr},         {"", nullptr},
  };
  for (const Case& c : cases) {
    const OptEntry* entry = findOpt(list, c.starKeyword);
    if (c.choice == nullptr) {
      EXPECT_EQ(entry, nullptr) << c.starKeyword;
    } else {
      ASSERT_NE(entry, nullptr) << c.starKeyword;
      EXPECT_EQ(entry->choice, c.choice) << c.starKeyword;
    }
  }
  // The first of two entries with the same keyword wins.
  addOptList(&list, OptEntry{"Duplex", "DuplexTumble", 5});
  EXPECT_EQ(findOpt(list, "*Duplex")->choice, "None");
}

TEST(OptListDeathTest, AbsentListEndsTheProcess) {
  EXPECT_EXIT(addOptList(nullptr, newOptEntry()), testing::ExitedWithCode(1), "addOptList\\(NULL,...\\) Error!");
}

}  // namespace
