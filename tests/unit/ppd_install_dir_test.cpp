#include "install/ppd_install_dir.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "queues/ppd_locations.h"
#include "test_support.h"

namespace {

// A CUPS model directory in a scratch directory, with a state and run log of its own; only choices
// that stay inside it are made here, the ones below /usr/share or /opt are shown in the sandbox scenarios.
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

// The first choice names both "/usr/opt" and "/opt/share", so the fallback is taken; a file stands
// where it would be made, so no "Created directory" line may follow.
TEST(PpdInstallDirTest, ChooseNeverReportsADirectoryItCouldNotMake) {
  ModelDir m;
  writeFile(m.model + "/vyr", "in the way");
  m.state.cupsVersion = 1300;
  m.state.ppdDirFlags = kPpdOptShare;
  m.state.ppdInstallDir = "/usr/opt/share/ppd/vyr";
  EXPECT_EQ(choosePPDInstallDir(m.state, "", 0), 0);
  EXPECT_EQ(m.state.ppdInstallDir, m.model + "/vyr");
  EXPECT_EQ(m.log.text(), "PPD installation dir: " + m.model + "/vyr\n");
}

// A CUPS before 1.3 with a recorded custom link: its target, with vyr appended unless its last
// component is vyr already (a trailing "/" ignored); a relative target stands for the link's own path.
TEST(ChoosePPDInstallDir, OldCupsFollowsTheRecordedCustomLink) {
  const std::pair<std::string, std::string> cases[] = {{"/srv/ppd/vyr", "/srv/ppd/vyr"},
                                                       {"/srv/ppd/vyr/", "/srv/ppd/vyr/"},
                                                       {"/srv/ppd", "/srv/ppd/vyr"},
                                                       {"../srv/ppd", "/model/custom/vyr"}};
  for (const auto& [target, expected] : cases) {
    ModelDir m;
    fs::create_directories(m.root / "srv/ppd");
    fs::create_directory(m.model + "/custom");
    const std::string absolute = target[0] == '/' ? m.root.path() + target : target;
    m.state.cupsVersion = 1200;
    m.state.ppdDirFlags = kPpdCustomDir | kPpdUsrShare;
    m.state.modelLinks = {{m.model + "/other", "/usr/share/ppd"}, {m.model + "/custom", absolute}};
    EXPECT_EQ(choosePPDInstallDir(m.state, "", 2), 1) << target;
    EXPECT_EQ(m.state.ppdInstallDir, m.root.path() + expected);
    EXPECT_TRUE(fs::is_directory(m.state.ppdInstallDir)) << target;
    // The link count bounds the search: the custom entry is second.
    EXPECT_EQ(choosePPDInstallDir(m.state, "", 1), 0);
    EXPECT_EQ(m.state.ppdInstallDir, m.model + "/vyr");
  }
}

}  // namespace
