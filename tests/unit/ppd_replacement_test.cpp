#include "queues/ppd_replacement.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <iterator>
#include <set>

#include "test_support.h"

// The target becomes a complete copy (the model's owner, group and mode are shown in the sandbox
// scenarios' rollback), or stays byte for byte when
// the copy command fails or "succeeds" without copying, the source is missing, or the model cannot be
// read; no temporary file is left beside it either way.
TEST(ReplaceByCopy, ReplacesWholeOrLeavesTarget) {
  ScratchDir dir;
  SetupState state;
  writeFile(dir / "new.ppd", std::string(70000, 'n'));
  writeFile(dir / "model.ppd", "m", 0640);
  const std::tuple<const char*, const char*, const char*, int> cases[] = {// cp command, source, model, replaced
                                                                          {"cp", "new.ppd", "model.ppd", 1},
                                                                          {"false", "new.ppd", "model.ppd", 0},
                                                                          {"true", "new.ppd", "model.ppd", 0},
                                                                          {"cp", "missing.ppd", "model.ppd", 0},
                                                                          {"cp", "new.ppd", "missing.ppd", 0}};
  for (const auto& [cp, source, model, replaced] : cases) {
    fs::remove(dir / "q.ppd");
    writeFile(dir / "q.ppd", "old", 0600);
    state.commands.cp = cp;
    int status = 0;
    std::string reason;
    EXPECT_EQ(replaceByCopy(state, dir / source, dir / "q.ppd", dir / model, status, reason), replaced) << cp << source;
    EXPECT_EQ(readFile(dir / "q.ppd"), replaced ? std::string(70000, 'n') : "old") << cp << source;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 3) << cp << source;  // nothing left beside
  }
}

TEST(IsSiblingName, OnlyTheTargetNameMarkerAndSixCharacters) {
  const std::pair<const char*, bool> cases[] = {{"q.ppd.qixnewAb12Zz", true},   {"q.ppd.rpmsave.qixnew000000", true},
                                                {".qixnewAb12Zz", false},       {"q.ppd.qixnewAb12Z", false},
                                                {"q.ppd.qixnewAb12Zz7", false}, {"q.ppd.qixnewAb.2Zz", false}};
  for (const auto& [name, sibling] : cases) EXPECT_EQ(isSiblingName(name), sibling) << name;
}

// Only regular files whose names match, owned by root and older than the run go; a link is never
// followed (its target stays).
TEST(RemoveStaleFiles, RemovesOnlyOldRegularRootFiles) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to own files by root and by others";
  ScratchDir dir;
  SetupState state;
  LogCapture log(state);
  for (const char* name : {"qixinOld", "qixotNew", "qixinOther", "other", "target"}) writeFile(dir / name, "x");
  fs::create_symlink(dir / "target", dir / "qixinLink");
  ASSERT_EQ(chown((dir / "qixinOther").c_str(), 1, 1), 0);
  const timespec runStart{time(nullptr) + 60, 0};  // every file is older than the run but qixotNew
  fs::last_write_time(dir / "qixotNew", fs::file_time_type::clock::now() + std::chrono::minutes(2));
  auto qix = [](std::string_view name) { return name.rfind("qix", 0) == 0; };
  EXPECT_EQ(removeStaleFiles(state, dir.path(), qix, runStart), 1);
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir.path())) left.insert(entry.path().filename());
  EXPECT_EQ(left, (std::set<std::string>{"other", "qixinLink", "qixinOther", "qixotNew", "target"}));
  EXPECT_EQ(log.text(), "Removed " + dir / "qixinOld" + ", left by an earlier run.\n");
}
