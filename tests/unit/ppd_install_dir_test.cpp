#include "install/ppd_install_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "base/text.h"
#include "driver/setup_state.h"
#include "queues/ppd_locations.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

// A CUPS model directory in a scratch directory, with a state and run log of its own; only choices
// that stay inside it are made here, the ones below /usr/share or /opt are shown in the sandbox scenarios.
struct ModelDir {
  ModelDir() {
    fs::create_directory(model);
    state.cupsModelDir = model;
  }
  void link(const std::string& name, const std::string& target) const {
    fs::create_symlink(target, model + "/" + name);
  }
  // "@" in an expected text stands for the scratch root.
  std::string expand(std::string text) const {
    for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, root.path());
    return text;
  }
  ScratchDir root;
  std::string model = root / "model";
  SetupState state;
  LogCapture log{state};
};

// The first flag set decides which links count; at most eight are recorded (shown in a scenario).
TEST(ReadModelLinks, RecordsByTheFirstFlagSet) {
  struct Case {
    const char* what;
    int flags;
    std::function<void(ModelDir&)> arrange;
    int result;
    int count;
    std::string firstTarget;
    bool noKnownLinks;
  } cases[] = {
      {"custom tree directory, empty one passed over", kPpdCustomDir,
       [](ModelDir& m) {
         fs::create_directories(m.model + "/custom/sub"), fs::create_directory(m.model + "/custom-empty");
       },
       1, 1, "", false},
      {"foomatic: first match ends the scan", kPpdFoomaticDir | kPpdUsrShare,
       [](ModelDir& m) {
         m.link("a", "/x/foomatic/one"), m.link("b", "/x/foomatic/two"), m.link("c", "/usr/share/ppd");
       },
       1, 1, "/x/foomatic/", false},
      {"/usr/share/ppd target", kPpdUsrShare | kPpdOptShare,
       [](ModelDir& m) { m.link("a", "/opt/share/ppd"), m.link("b", "/usr/share/ppd/x"); }, 1, 1, "/usr/share/ppd/x",
       false},
      {"/opt/share/ppd target", kPpdOptShare, [](ModelDir& m) { m.link("a", "/opt/share/ppd/x"); }, 1, 1,
       "/opt/share/ppd/x", false},
      {"no deciding flag", kPpdCupsModelDir | kPpdSystemDir, [](ModelDir& m) { m.link("custom", "/x"); }, 0, 0, "",
       true},
      {"only a regular foomatic file", kPpdFoomaticDir, [](ModelDir& m) { writeFile(m.model + "/foomatic.ppd", "x"); },
       -1, 0, "", false},
      {"empty model directory", kPpdUsrShare, [](ModelDir&) {}, 0, 0, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ModelDir m;
    m.state.ppdDirFlags = c.flags;
    c.arrange(m);
    int count = -5;
    EXPECT_EQ(readModelLinks(m.state, count), c.result);
    EXPECT_EQ(count, c.count);
    if (c.count > 0) {
      EXPECT_TRUE(m.state.modelLinks[0].target.starts_with(c.firstTarget));
    }
    const std::string text = m.log.text();
    EXPECT_EQ(contains(text, "No known links in cups model dir: " + m.model + "\n"), c.noKnownLinks) << text;
  }
}

TEST(ChoosePPDInstallDir, SettlesTheDirectoryByVersionFlagsAndPreviousDirectory) {
  struct Case {
    const char* what;
    int version;
    int flags;
    const char* firstChoice;
    const char* previous;
    bool blocked;  // a file stands where the fallback directory would be made
    int result;
    const char* dir;
    int mode;  // of the directory afterwards; -1: not made
    const char* log;
  } cases[] = {
      {"previous directory taken as it is", 1200, kPpdUsrShare, "", "@/prev", false, 1, "@/prev", -1,
       "PPD installation dir: @/prev\nUsing previous Orvo PPD directory: \"@/prev\".\n"},
      {"fallback below the model dir, made", 2402, kPpdCupsModelDir, "", "", false, 0, "@/model/vyr", 0755,
       "PPD installation dir: @/model/vyr\nCreated directory: '@/model/vyr'.\n"
       "Changing execution rights of '@/model/vyr' to  00755.\nCreated directory: '@/model/vyr'.\n"},
      // The first choice names both "/usr/opt" and "/opt/share", so it is not taken.
      {"a directory it could not make is never reported", 1300, kPpdOptShare, "/usr/opt/share/ppd/vyr", "", true, 0,
       "@/model/vyr", -1, "PPD installation dir: @/model/vyr\n"},
      {"old CUPS without a shared tree: the model dir, unmade", 1299, kPpdCupsModelDir | kPpdFoomaticDir, "", "", false,
       1, "@/model/vyr", -1, "PPD installation dir: @/model/vyr\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ModelDir m;
    UmaskScope mask(077);
    if (c.blocked) writeFile(m.model + "/vyr", "in the way");
    m.state.cupsVersion = c.version;
    m.state.ppdDirFlags = c.flags;
    m.state.ppdInstallDir = c.firstChoice;
    EXPECT_EQ(choosePPDInstallDir(m.state, m.expand(c.previous), 0), c.result);
    EXPECT_EQ(m.state.ppdInstallDir, m.expand(c.dir));
    if (!c.blocked) {
      EXPECT_EQ(modeOf(m.expand(c.dir)), c.mode);
    }
    EXPECT_EQ(m.log.text(), m.expand(c.log));
  }
  ModelDir m;
  m.state.cupsModelDir = m.root / "none";
  m.state.ppdInstallDir = "/first/choice";
  EXPECT_EQ(choosePPDInstallDir(m.state, m.root / "prev", 0), 0);
  EXPECT_EQ(m.state.ppdInstallDir, "/first/choice");
  EXPECT_EQ(m.log.text(), "");
}

// A CUPS before 1.3 with a recorded custom link: its target, with vyr appended unless it ends in vyr already.
TEST(ChoosePPDInstallDir, OldCupsFollowsTheRecordedCustomLink) {
  const std::pair<const char*, const char*> cases[] = {
      {"@/srv/ppd/vyr", "@/srv/ppd/vyr"},
      {"@/srv/ppd", "@/srv/ppd/vyr"},
      {"../srv/ppd", "@/model/custom/vyr"},  // relative: the link's own path is the base
  };
  for (const auto& [target, expected] : cases) {
    SCOPED_TRACE(target);
    ModelDir m;
    fs::create_directories(m.root / "srv/ppd");
    fs::create_directory(m.model + "/custom");
    m.state.cupsVersion = 1200;
    m.state.ppdDirFlags = kPpdCustomDir | kPpdUsrShare;
    m.state.modelLinks = {{m.model + "/other", "/usr/share/ppd"}, {m.model + "/custom", m.expand(target)}};
    EXPECT_EQ(choosePPDInstallDir(m.state, "", 2), 1);
    EXPECT_EQ(m.state.ppdInstallDir, m.expand(expected));
    EXPECT_TRUE(fs::is_directory(m.expand(expected)));
    // The link count bounds the search: the custom entry is second.
    EXPECT_EQ(choosePPDInstallDir(m.state, "", 1), 0);
    EXPECT_EQ(m.state.ppdInstallDir, m.model + "/vyr");
  }
}

}  // namespace
