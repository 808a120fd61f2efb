#include "install/install_dir_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "test_support.h"

namespace {

// The root and the system directories in any spelling are refused; directories below them are not.
TEST(InstallDirCheck, RefusesRootAndSystemDirectoriesInAnySpelling) {
  ScratchDir dir;
  ASSERT_EQ(symlink("/usr", (dir / "usr_link").c_str()), 0);
  ASSERT_EQ(symlink("/", (dir / "root_link").c_str()), 0);
  for (const std::string& path : std::initializer_list<std::string>{
           "/", "//", "/.", "/opt/..", "/usr", "//usr/", "/etc", "/var", "/opt", "/var/spool", "/usr/local/lib",
           "/opt/new/../../etc", "", dir / "usr_link", dir / "root_link/./srv/"})
    EXPECT_FALSE(isUsableInstallDir(path)) << path;
  for (const std::string& path : std::initializer_list<std::string>{"/opt/vyr", "/srv/vyr2", "/usr/local/vyr",
                                                                    "/opt//vyr/./", dir / "usr_link/vyr", dir.path()})
    EXPECT_TRUE(isUsableInstallDir(path)) << path;
  EXPECT_EQ(normaliseInstallDir("/opt//vyr/./new/../"), "/opt/vyr");
  EXPECT_EQ(normaliseInstallDir(dir / "usr_link/./missing//x/.."), "/usr/missing");
}

}  // namespace
