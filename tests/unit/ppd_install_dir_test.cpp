#include "install/ppd_install_dir.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "queues/ppd_locations.h"
#include "test_support.h"

namespace {

// A CUPS model directory in a scratch directory, with a state and run log of its own. Only the reading
// of its links is shown here: choosing and making the directory can reach system paths, so that is
// shown in the sandbox scenarios.
struct ModelDir {
  ModelDir() {
    fs::create_directory(model);
    state.cupsModelDir = model;
  }
  ScratchDir root;
  std::string model = root / "model";
  SetupState state;
  LogCapture log{state};
  UmaskScope mask{077};
};

// The first flag set decides which links count; a directory with subdirectories counts as a link
// for "custom"; a match under any other flag ends the scan; a foomatic file alone gives -1; nothing
// found is logged. At most eight are recorded (shown in a scenario).
TEST(ReadModelLinks, RecordsByTheFirstFlagSet) {
  ModelDir custom, links, foomaticFile, empty;
  fs::create_directories(custom.model + "/custom/sub");
  fs::create_directory(custom.model + "/custom-empty");
  fs::create_symlink("/x/foomatic/one", links.model + "/a");
  fs::create_symlink("/x/foomatic/two", links.model + "/b");
  fs::create_symlink("/usr/share/ppd", links.model + "/c");
  writeFile(foomaticFile.model + "/foomatic.ppd", "x");
  const std::tuple<ModelDir*, int, int, int, std::string> cases[] = {
      // dir, flags, result, count, first link
      {&custom, kPpdCustomDir, 1, 1, "/custom "},
      {&links, kPpdFoomaticDir | kPpdUsrShare, 1, 1, " /x/foomatic/"},
      {&links, kPpdUsrShare, 1, 1, " /usr/share/ppd"},
      {&foomaticFile, kPpdFoomaticDir, -1, 0, ""},
      {&empty, kPpdUsrShare, 0, 0, ""},
  };
  for (const auto& [m, flags, result, count, first] : cases) {
    m->state.ppdDirFlags = flags;
    int linkCount = -5;
    EXPECT_EQ(readModelLinks(m->state, linkCount), result) << m->model << " " << flags;
    ASSERT_EQ(linkCount, count) << m->model << " " << flags;
    if (count > 0) {
      EXPECT_TRUE(contains(m->state.modelLinks[0].path + " " + m->state.modelLinks[0].target, first)) << first;
    }
    EXPECT_EQ(contains(m->log.text(), "No known links in cups model dir: " + m->model + "\n"), result == 0);
  }
}

}  // namespace
