#include "queues/hold_record.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

// The record survives a write and a read whole; odd lines are left out; a directory others can
// enter is never used.
TEST(HoldRecordTest, RoundTripsAndRefusesOpenDirectory) {
  char pattern[] = "/tmp/holdrecXXXXXX";
  const std::string dir = mkdtemp(pattern);
  chmod(dir.c_str(), 0700);
  HoldRecord record{{{"ipp://localhost/printers/A", false}, {"ipp://localhost/classes/C", true}}, {7, 12}};
  ASSERT_EQ(writeHoldRecord(record, dir), 1);
  std::optional<HoldRecord> back = readHoldRecord(dir);
  ASSERT_TRUE(back);
  EXPECT_EQ(holdRecordText(*back), holdRecordText(record));
  EXPECT_EQ(holdRecordText(parseHoldRecord("job 0\njob x\ndestination 2 ipp://a/\nnoise\njob 5\n")), "job 5\n");
  chmod(dir.c_str(), 0755);
  EXPECT_FALSE(readHoldRecord(dir));
  EXPECT_EQ(writeHoldRecord(record, dir), 0);
  chmod(dir.c_str(), 0700);
  removeHoldRecord(dir);
  EXPECT_FALSE(readHoldRecord(dir));
  rmdir(dir.c_str());
}
