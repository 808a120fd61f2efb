#include "install/ppd_install_dir.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "queues/ppd_locations.h"
#include "test_support.h"

namespace {

// Only the reading of the CUPS model directory's links is shown here: choosing and making the directory
// can reach system paths, so that is shown in the sandbox scenarios, as is the log line when nothing is
// found and the bound of eight links. The first flag set decides which links count; a directory with
// subdirectories counts as a link for "custom"; a match under any other flag ends the scan; a foomatic
// file alone gives -1; a custom directory counts for nothing else.
TEST(ReadModelLinks, RecordsByTheFirstFlagSet) {
  ScratchDir root;
  fs::create_directories(root / "custom/custom/sub");
  fs::create_directories(root / "custom/custom-empty");
  fs::create_directories(root / "links");
  for (const char* target : {"/x/foomatic/one", "/x/foomatic/two", "/usr/share/ppd"})
    fs::create_symlink(target, root / "links/" + fs::path(target).filename().string());
  writeFile(root / "foomatic/foomatic.ppd", "x");
  const std::tuple<const char*, int, int, int, std::string> cases[] = {
      // model directory, flags, result, links recorded, part of the first link
      {"custom", kPpdCustomDir, 1, 1, "/custom "},
      {"links", kPpdFoomaticDir | kPpdUsrShare, 1, 1, " /x/foomatic/"},
      {"links", kPpdUsrShare, 1, 1, " /usr/share/ppd"},
      {"foomatic", kPpdFoomaticDir, -1, 0, ""},
      {"custom", kPpdUsrShare, 0, 0, ""}};
  for (const auto& [model, flags, result, count, first] : cases) {
    SetupState state;
    LogCapture log(state);
    state.cupsModelDir = root / model;
    state.ppdDirFlags = flags;
    int linkCount = -5;
    EXPECT_EQ(readModelLinks(state, linkCount), result) << model << " " << flags;
    ASSERT_EQ(linkCount, count) << model << " " << flags;
    EXPECT_TRUE(count == 0 || contains(state.modelLinks[0].path + " " + state.modelLinks[0].target, first)) << first;
  }
}

}  // namespace
