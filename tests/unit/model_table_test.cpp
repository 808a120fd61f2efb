#include "queues/model_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "base/text.h"

namespace {

// Names without a PDL ending, ids in 1..270 with exactly one unused, two ids shared by two names,
// and one name listed twice with different ids.
TEST(ModelTable, HasTheShapeOfTheMakersTable) {
  auto rows = modelTable();
  ASSERT_EQ(rows.size(), 271u);
  std::map<int, std::set<std::string>> namesById;
  std::map<std::string, std::set<int>> idsByName;
  int ostraRows = 0;
  for (const ModelEntry& row : rows) {
    const std::string name = row.name;
    EXPECT_TRUE(row.id >= 1 && row.id <= 270) << name;
    EXPECT_FALSE(name.empty() || endsWith(name, " PCL") || endsWith(name, " PXL") || endsWith(name, " PS")) << name;
    ostraRows += startsWith(name, "Ostra ");
    namesById[row.id].insert(name);
    EXPECT_TRUE(idsByName[name].insert(row.id).second) << name << " listed twice with the same id";
  }
  EXPECT_GT(ostraRows, 250);  // mostly the maker's own name
  EXPECT_EQ(namesById.size(), 269u);
  int sharedIds = 0, twiceListed = 0;
  for (const auto& [id, names] : namesById) {
    EXPECT_LE(names.size(), 2u) << id;
    sharedIds += names.size() == 2;
  }
  for (const auto& [name, ids] : idsByName) {
    EXPECT_LE(ids.size(), 2u) << name;
    twiceListed += ids.size() == 2;
  }
  EXPECT_EQ(sharedIds, 2);
  EXPECT_EQ(twiceListed, 1);
}

// The first row that occurs in a model text decides, so a later row whose name contains an
// earlier row's name could never be chosen; only the deliberate duplicate row is unreachable.
TEST(ModelTable, EveryRowButTheDuplicateIsReachable) {
  auto rows = modelTable();
  for (size_t later = 0; later < rows.size(); ++later) {
    const std::string laterName = rows[later].name;
    for (size_t earlier = 0; earlier < later; ++earlier) {
      if (laterName == rows[earlier].name) continue;
      EXPECT_FALSE(contains(laterName, rows[earlier].name))
          << "row " << later << " \"" << laterName << "\" is hidden by row " << earlier;
    }
  }
}

}  // namespace
