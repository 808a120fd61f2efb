#include "queues/printer_list.h"

#include <gtest/gtest.h>

#include "test_support.h"

using namespace std::string_literals;

const std::string kBegin = "%%QIXBLOCK_PRINTERS_BEGIN\n", kEnd = "%%QIXBLOCK_PRINTERS_END\n";

// The first name goes into the head, the rest follow in file order and replace what an earlier read left;
// a name is cut at trailing blanks. Unusable names keep their places: the head is always the block's first
// line. The files of the older generation and a missing file are shown in the sandbox scenarios.
TEST(InfoPrinters, BlockEdgeCases) {
  ScratchDir dir;
  SetupState state;
  state.installDir = dir.path();
  const std::string other = "%%QIXBLOCK_GENERAL_BEGIN\n%%QIXBLOCK_GENERAL_END\n";
  const std::tuple<const char*, std::string, int, std::string> cases[] = {
      // what, file, result, names and count
      {"among other blocks", other + kBegin + "office\nlab  \nhall\n" + kEnd + "%%QIXBLOCK_USERS_BEGIN\nroot\n", 1,
       "office|lab|hall|3"},
      {"empty block keeps the head's name", kBegin + kEnd, 1, "before|0"},
      {"BEGIN with trailing blanks opens", "%%QIXBLOCK_PRINTERS_BEGIN   \na\n" + kEnd, 1, "a|1"},
      {"BEGIN with a carriage return does not", "%%QIXBLOCK_PRINTERS_BEGIN\r\na\n" + kEnd, 0, "before|7"},
      {"no END: names to the end of file", kBegin + "a\nb", 1, "a|b|2"},
      {"an empty line is a printer, a carriage return stays", kBegin + "a\r\n\nb\n" + kEnd, 1, "a\r||b|3"},
      {"names with NUL bytes", kBegin + "..\0x\n\0\0\nq\n"s + kEnd, 1, "..\0x|\0\0|q|3"s},
  };
  for (const auto& [what, body, result, expected] : cases) {
    state.printers.head().queueName = "before";
    state.printerCount = 7;
    writeFile(dir / "orvoInfo4.0", body);
    EXPECT_EQ(readInfoPrinters(state, 0, state.printers), result) << what;
    std::string names;
    for (const PrinterEntry& entry : state.printers.entries) names += entry.queueName + "|";
    EXPECT_EQ(names + std::to_string(state.printerCount), expected) << what;
  }
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
