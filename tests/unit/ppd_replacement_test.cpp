#include "queues/ppd_replacement.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <iterator>
#include <set>

#include "base/format.h"
#include "test_support.h"

// Mode, owner and group of a file, as "640 4:7".
static std::string ownership(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return format("%o %u:%u", info.st_mode & 07777, info.st_uid, info.st_gid);
}

// The target becomes a complete copy with the model's owner, group and mode, or stays byte for byte when
// the copy command fails or "succeeds" without copying, the source is missing, or the model cannot be
// read; no temporary file is left beside it either way.
TEST(ReplaceByCopy, ReplacesWholeOrLeavesTarget) {
  ScratchDir dir;
  SetupState state;
  writeFile(dir / "new.ppd", std::string(70000, 'n'));
  writeFile(dir / "model.ppd", "m", 0640);
  ASSERT_TRUE(geteuid() != 0 || chown((dir / "model.ppd").c_str(), 4, 7) == 0);
  const std::tuple<const char*, const char*, const char*, int> cases[] = {// cp command, source, model, replaced
                                                                          {"cp", "new.ppd", "model.ppd", 1},
                                                                          {"false", "new.ppd", "model.ppd", 0},
                                                                          {"true", "new.ppd", "model.ppd", 0},
                                                                          {"cp", "missing.ppd", "model.ppd", 0},
                                                                          {"cp", "new.ppd", "missing.ppd", 0}};
  for (const auto& [cp, source, model, replaced] : cases) {
    fs::remove(dir / "q.ppd");
    writeFile(dir / "q.ppd", "old", 0600);
    const std::string before = ownership(dir / "q.ppd");
    state.commands.cp = cp;
    int status = 0;
    std::string reason;
    EXPECT_EQ(replaceByCopy(state, dir / source, dir / "q.ppd", dir / model, status, reason), replaced) << cp << source;
    EXPECT_EQ(readFile(dir / "q.ppd"), replaced ? std::string(70000, 'n') : "old") << cp << source;
    EXPECT_EQ(ownership(dir / "q.ppd"), replaced ? ownership(dir / "model.ppd") : before) << cp << source;
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
  timespec runStart{};
  clock_gettime(CLOCK_REALTIME, &runStart);
  runStart.tv_sec += 60;  // every file is older than the run but qixotNew
  fs::last_write_time(dir / "qixotNew", fs::file_time_type::clock::now() + std::chrono::minutes(2));
  auto matches = [](std::string_view name) { return name.rfind("qix", 0) == 0; };
  EXPECT_EQ(removeStaleFiles(state, dir.path(), matches, runStart), 1);
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir.path())) left.insert(entry.path().filename());
  EXPECT_EQ(left, (std::set<std::string>{"other", "qixinLink", "qixinOther", "qixotNew", "target"}));
  EXPECT_EQ(log.text(), "Removed " + dir / "qixinOld" + ", left by an earlier run.\n");
}
