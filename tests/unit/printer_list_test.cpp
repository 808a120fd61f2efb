#include "queues/printer_list.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace std::string_literals;

const std::string kBegin = "%%QIXBLOCK_PRINTERS_BEGIN\n", kEnd = "%%QIXBLOCK_PRINTERS_END\n";

// An installation directory whose information file the test writes, and a run log to read back.
class InfoPrintersTest : public ::testing::Test {
 protected:
  void SetUp() override { state_.installDir = dir_.path(); }
  // The names read, joined by "|".
  std::string names() {
    std::string result;
    for (const PrinterEntry& entry : state_.printers.entries) result += "|" + entry.queueName;
    return result.substr(result.empty() ? 0 : 1);
  }
  ScratchDir dir_;
  SetupState state_;
  LogCapture log_{state_};
};

// The first name goes into the head, the rest follow in file order; a name is cut at trailing blanks.
TEST_F(InfoPrintersTest, BlockEdgeCases) {
  const std::string tooLong(80, 'q'), longest(79, 'q'), other = "%%QIXBLOCK_GENERAL_BEGIN\n%%QIXBLOCK_GENERAL_END\n";
  const std::tuple<const char*, std::string, int, int, std::string> cases[] = {
      // what, file, result, count, names
      {"among other blocks", other + kBegin + "office\nlab  \nhall\n" + kEnd + "%%QIXBLOCK_USERS_BEGIN\nroot\n", 1, 3,
       "office|lab|hall"},
      {"empty block keeps the head's name", kBegin + kEnd, 1, 0, "before"},
      {"BEGIN with trailing blanks opens", "%%QIXBLOCK_PRINTERS_BEGIN   \na\n" + kEnd, 1, 1, "a"},
      {"BEGIN with a carriage return does not", "%%QIXBLOCK_PRINTERS_BEGIN\r\na\n" + kEnd, 0, 7, "before"},
      {"no END: names to the end of file", kBegin + "a\nb", 1, 2, "a|b"},
      {"an empty line is a printer", kBegin + "a\n\nb\n" + kEnd, 1, 3, "a||b"},
      {"carriage return stays in a name", kBegin + "a\r\n" + kEnd, 1, 1, "a\r"},
      // Unusable names keep their places: the head is always the block's first line.
      {"too long a first name stays the head", kBegin + tooLong + "\n" + longest + "\n" + kEnd, 1, 2,
       tooLong + "|" + longest},
      {"names with NUL bytes keep their places", kBegin + "Default\n..\0x\n\0\0\nq\n"s + kEnd, 1, 4,
       "Default|..\0x|\0\0|q"s},
  };
  for (const auto& [what, body, result, count, expected] : cases) {
    SCOPED_TRACE(what);
    resetPList(state_.printers);
    state_.printers.head().queueName = "before";
    state_.printerCount = 7;
    writeFile(dir_ / "orvoInfo4.0", body);
    EXPECT_EQ(readInfoPrinters(state_, 0, state_.printers), result);
    EXPECT_EQ(state_.printerCount, count);
    EXPECT_EQ(names(), expected);
  }
}

// Kind 1 reads orvoInfo2.0; a second read replaces the first; a missing file changes nothing.
TEST_F(InfoPrintersTest, KindSelectsFileAndSecondReadReplacesFirst) {
  writeFile(dir_ / "orvoInfo2.0", kBegin + "old1\nold2\n" + kEnd);
  writeFile(dir_ / "orvoInfo4.0", kBegin + "new1\n" + kEnd);
  ASSERT_EQ(readInfoPrinters(state_, 1, state_.printers), 1);
  EXPECT_EQ(names(), "old1|old2");
  ASSERT_EQ(readInfoPrinters(state_, 4, state_.printers), 1);
  EXPECT_EQ(names(), "new1");
  state_.installDir = dir_ / "missing";
  EXPECT_EQ(readInfoPrinters(state_, 0, state_.printers), 0);
  EXPECT_EQ(state_.printerCount, 1);
}

// One path component that fits 79 characters, without NUL or another control character.
TEST(IsUsableQueueName, OnePathComponentThatFits) {
  for (const std::string& name : {"office_2"s, std::string(79, 'x'), "caf\xc3\xa9"s})
    EXPECT_TRUE(isUsableQueueName(name)) << name;
  for (const std::string& name :
       {""s, "."s, ".."s, "a/b"s, std::string(80, 'x'), "..\0x"s, "a\tb"s, "a\rb"s, "a\x1b[2J"s, "a\x7f"s})
    EXPECT_FALSE(isUsableQueueName(name)) << visibleName(name);
  EXPECT_EQ(visibleName("..\0x\n\x1b"s), "..\\000x\\012\\033");
}

}  // namespace
