#include "queues/printer_list.h"

#include <gtest/gtest.h>

#include "driver/setup_state.h"
#include "test_support.h"

namespace {

using namespace testsupport;

// An installation directory whose information file the test writes, and a run log to read back.
class InfoPrintersTest : public ::testing::Test {
 protected:
  void SetUp() override { state_.installDir = dir_.path(); }
  void writeInfo(const std::string& body, const char* name = "orvoInfo4.0") { writeFile(dir_ / name, body); }
  std::vector<std::string> names() {
    std::vector<std::string> result;
    for (const PrinterEntry& entry : state_.printers.entries) result.push_back(entry.queueName);
    return result;
  }
  ScratchDir dir_;
  SetupState state_;
  LogCapture log_{state_};
};

const std::string kBegin = "%%QIXBLOCK_PRINTERS_BEGIN\n";
const std::string kEnd = "%%QIXBLOCK_PRINTERS_END\n";

TEST_F(InfoPrintersTest, ReadsBlockIntoHeadAndRingInFileOrder) {
  writeInfo("%%QIXBLOCK_GENERAL_BEGIN\nUSRDIR=/opt/vyr\n%%QIXBLOCK_GENERAL_END\n#\n" + kBegin +
            "office\nlab  \nhall\n" + kEnd + "%%QIXBLOCK_USERS_BEGIN\nroot\n%%QIXBLOCK_USERS_END\n");
  ASSERT_EQ(readInfoPrinters(state_, 0, state_.printers), 1);
  EXPECT_EQ(state_.printerCount, 3);
  EXPECT_EQ(names(), (std::vector<std::string>{"office", "lab", "hall"}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(state_.printers.at(i).listIndex, i);
  EXPECT_EQ(&state_.printers.at(3), &state_.printers.head());  // three steps return to the head
}

TEST_F(InfoPrintersTest, BlockEdgeCases) {
  struct Case {
    const char* what;
    std::string body;
    int result;
    int count;
    std::vector<std::string> names;
  };
  const std::string tooLong(80, 'q');
  const std::string longest(79, 'q');
  const Case cases[] = {
      {"empty block keeps the head's name", kBegin + kEnd, 1, 0, {"before"}},
      {"BEGIN with trailing blanks opens", "%%QIXBLOCK_PRINTERS_BEGIN   \na\n" + kEnd, 1, 1, {"a"}},
      {"BEGIN with a carriage return does not", "%%QIXBLOCK_PRINTERS_BEGIN\r\na\n" + kEnd, 0, 7, {"before"}},
      {"no block", "%%QIXBLOCK_USERS_BEGIN\nroot\n", 0, 7, {"before"}},
      {"no END: names to the end of file", kBegin + "a\nb", 1, 2, {"a", "b"}},
      {"an empty line is a printer", kBegin + "a\n\nb\n" + kEnd, 1, 3, {"a", "", "b"}},
      {"carriage return stays in a name", kBegin + "a\r\n" + kEnd, 1, 1, {"a\r"}},
      {"too long a name is passed over whole", kBegin + tooLong + "\n" + longest + "\n" + kEnd, 1, 1, {longest}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetPList(state_.printers);
    state_.printers.head().queueName = "before";
    state_.printerCount = 7;
    writeInfo(c.body);
    EXPECT_EQ(readInfoPrinters(state_, 0, state_.printers), c.result);
    EXPECT_EQ(state_.printerCount, c.count);
    EXPECT_EQ(names(), c.names);
  }
  EXPECT_EQ(log_.text(), "Skipping printer queue '" + tooLong + "': not a usable queue name.\n");
}

TEST_F(InfoPrintersTest, KindSelectsFileAndSecondReadReplacesFirst) {
  writeInfo(kBegin + "old1\nold2\n" + kEnd, "orvoInfo2.0");
  writeInfo(kBegin + "new1\n" + kEnd);
  ASSERT_EQ(readInfoPrinters(state_, 1, state_.printers), 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"old1", "old2"}));
  ASSERT_EQ(readInfoPrinters(state_, 4, state_.printers), 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"new1"}));
  EXPECT_EQ(state_.printerCount, 1);

  state_.installDir = dir_ / "missing";
  EXPECT_EQ(readInfoPrinters(state_, 0, state_.printers), 0);
  EXPECT_EQ(state_.printerCount, 1);
}

TEST(PrinterList, ClearKeepsHeadResetZeroesIt) {
  PrinterList list;
  list.head() = PrinterEntry{"model", "/p.ppd", "q", 5, 0, 2};
  addPList(&list, PrinterEntry{"m2", "", "q2", 0, 1, 0});
  EXPECT_EQ(list.at(2).queueName, "q");  // the ring closes after the last entry
  EXPECT_EQ(clearPList(list), 0);
  EXPECT_EQ(list.ringSize(), 1u);
  EXPECT_EQ(list.head().modelName, "model");
  EXPECT_EQ(resetPList(list), 0);
  EXPECT_EQ(list.ringSize(), 1u);
  EXPECT_EQ(list.head().queueName + list.head().modelName, "");
  EXPECT_EQ(list.head().modelId + list.head().pdlKind, 0);
}

TEST(PrinterListDeathTest, AbsentHeadEndsTheRun) {
  EXPECT_EXIT(addPList(nullptr, PrinterEntry{}), testing::ExitedWithCode(1), "addPList\\(NULL,\\.\\.\\.\\) Error!");
}

TEST(IsUsableQueueName, OnePathComponentThatFits) {
  EXPECT_TRUE(isUsableQueueName("office_2"));
  EXPECT_TRUE(isUsableQueueName(std::string(79, 'x')));
  for (const std::string& name :
       {std::string(), std::string("."), std::string(".."), std::string("a/b"), std::string(80, 'x')}) {
    EXPECT_FALSE(isUsableQueueName(name)) << name;
  }
}

}  // namespace
