#include "install/directory_helpers.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

// Only a directory really made is logged; its mode is set whatever the umask.
TEST(MakeDir, ResultsByWhatStandsAtThePath) {
  ScratchDir root;
  SetupState state;
  LogCapture log(state);
  UmaskScope mask(077);
  writeFile(root / "file", "x");
  fs::create_directory_symlink(root.path(), root / "dirlink");
  const std::tuple<std::string, int, int> cases[] = {
      {"", 1, -1},                  // no path
      {root.path(), 1, 0},          // a directory already
      {root / "dirlink", 0, 0},     // a link to a directory counts as one
      {root / "file", 1, -1},       // something else stands there, and stays
      {root / "missing", 0, -1},    // missing, create off: nothing made
      {root / "no/parent", 1, -1},  // mkdir fails
      {root / "new", 1, 1},
  };
  for (const auto& [path, create, expected] : cases) EXPECT_EQ(makeDir(state, path, create, 0751), expected) << path;
  EXPECT_TRUE(fs::is_regular_file(root / "file"));
  EXPECT_EQ(modeOf(root / "new"), 0751);
  EXPECT_EQ(log.text(), "Created directory: '" + (root / "new") + "'.\nChanging execution rights of '" +
                            (root / "new") + "' to  00751.\n");
}

}  // namespace
