// Smoke test of the PPD generator the sample package, the benchmarks and the scenarios build their PPDs with.
#include <gtest/gtest.h>
#include <unistd.h>

#include "base/shell.h"
#include "queues/ppd_adapter.h"
#include "test_support.h"

namespace {

TEST(Ppdgen, BatchOutputParsesWithTheLibrary) {
  const std::string ppdgen = ORVO_BINARY_DIR "/ppdgen";
  if (access(ppdgen.c_str(), X_OK) != 0) GTEST_SKIP() << "ppdgen is not built in this build tree";
  ScratchDir dir;
  writeFile(dir / "list", "Ostra Velo 40\tps\t1.5\t" + (dir / "a.ppd.gz") + "\n");
  ASSERT_EQ(runShell(ppdgen + " --batch --pagesize A4 < " + shellWord(dir / "list")), 0);
  std::optional<std::vector<PpdOptionDefault>> options = readPpdOptions(dir / "a.ppd.gz");
  ASSERT_TRUE(options.has_value());
  ASSERT_GT(options->size(), 1u);
  EXPECT_EQ((*options)[1].keyword, "PageSize");
  EXPECT_EQ((*options)[1].defchoice, "A4");
}

}  // namespace
