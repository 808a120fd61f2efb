#include "queues/model_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "base/text.h"

namespace {

TEST(ModelTable, HasTheShapeOfTheMakersTable) {
  auto rows = modelTable();
  ASSERT_EQ(rows.size(), 271u);

  std::map<int, std::set<std::string>> namesById;
  std::map<std::string, std::set<int>> idsByName;
  std::map<std::string, int> rowsByName;
  int ostraRows = 0;
  for (const ModelEntry& row : rows) {
    std::string name = row.name;
    EXPECT_GE(row.id, 1) << name;
    EXPECT_LE(row.id, 270) << name;
    for (const char* ending : {" PCL", " PXL", " PS"}) EXPECT_FALSE(endsWith(name, ending)) << name;
    EXPECT_FALSE(name.empty());
    if (startsWith(name, "Ostra ")) ++ostraRows;
    namesById[row.id].insert(name);
    idsByName[name].insert(row.id);
    ++rowsByName[name];
  }
  EXPECT_GT(ostraRows, 250);  // mostly the maker's own name

  int sharedIds = 0;
  for (const auto& [id, names] : namesById) {
    EXPECT_LE(names.size(), 2u) << id;
    if (names.size() == 2) ++sharedIds;
  }
  EXPECT_EQ(sharedIds, 2);
  EXPECT_EQ(namesById.size(), 269u);  // exactly one id of 1..270 is not used

  int twiceListed = 0;
  for (const auto& [name, count] : rowsByName) {
    EXPECT_LE(count, 2) << name;
    if (count == 2) {
      ++twiceListed;
      EXPECT_EQ(idsByName[name].size(), 2u) << name << " must stand twice with different ids";
    }
  }
  EXPECT_EQ(twiceListed, 1);
}

// The first row that occurs in a model text decides, so a later row whose name contains an
// earlier row's name could never be chosen; only the deliberate duplicate row is unreachable.
TEST(ModelTable, EveryRowButTheDuplicateIsReachable) {
  auto rows = modelTable();
  for (size_t later = 0; later < rows.size(); ++later) {
    std::string laterName = rows[later].name;
    for (size_t earlier = 0; earlier < later; ++earlier) {
      if (laterName == rows[earlier].name) continue;
      EXPECT_FALSE(contains(laterName, rows[earlier].name))
          << "row " << later << " \"" << laterName << "\" is hidden by row " << earlier;
    }
  }
}

TEST(PdlLogText, NamesEveryKind) {
  const char* expected[] = {"\tPDL     : Unknown.", "\tPDL     : PostScript.", "\tPDL     : PCL.",
                            "\tPDL     : PXL.",     "\tPDL     : CPCA.",       "\tPDL     : Raw.",
                            "\tPDL     : Special."};
  for (int kind = 0; kind < 7; ++kind) EXPECT_STREQ(pdlLogText(kind), expected[kind]);
  EXPECT_STREQ(pdlLogText(7), expected[0]);
  EXPECT_STREQ(pdlLogText(-1), expected[0]);
}

}  // namespace
