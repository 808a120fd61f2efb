#include "install/directory_helpers.h"

#include <gtest/gtest.h>

#include "test_support.h"

// Only a directory really made is logged; its mode is set whatever the umask.
TEST(MakeDir, ResultsByWhatStandsAtThePath) {
  ScratchDir root;
  SetupState state;
  LogCapture log(state);
  UmaskScope mask(077);
  writeFile(root / "file", "x");
  fs::create_directory_symlink(root.path(), root / "dirlink");
  const std::tuple<const char*, int, int> cases[] = {
      // path under root, create, result: no path; a link to a directory counts as one; something else stands
      // there; missing, create off: nothing made; mkdir fails; made
      {"", 1, -1}, {"dirlink", 0, 0}, {"file", 1, -1}, {"missing", 0, -1}, {"no/parent", 1, -1}, {"new", 1, 1}};
  for (const auto& [name, create, expected] : cases)
    EXPECT_EQ(makeDir(state, *name ? root / name : "", create, 0751), expected) << name;
  EXPECT_EQ(modeOf(root / "new"), 0751);
  EXPECT_EQ(log.text(), "Created directory: '" + (root / "new") + "'.\nChanging execution rights of '" +
                            (root / "new") + "' to  00751.\n");
}
