#include "install/install_dir_check.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

// The root and the system directories in any spelling are refused; directories below them are not. Links
// are followed, missing parts kept.
TEST(InstallDirCheck, RefusesRootAndSystemDirectoriesInAnySpelling) {
  ScratchDir dir;
  fs::create_symlink("/usr", dir / "usr_link");
  fs::create_symlink("/", dir / "root_link");
  for (const std::string& path : std::initializer_list<std::string>{
           "/", "//", "/.", "/opt/..", "//usr/", "/etc", "/opt", "/var/spool", "/usr/local/lib", "/opt/new/../../etc",
           "", dir / "usr_link", dir / "root_link/./srv/"})
    EXPECT_FALSE(isUsableInstallDir(path)) << path;
  for (const std::string& path : std::initializer_list<std::string>{"/opt/vyr", "/srv/vyr2", "/usr/local/vyr",
                                                                    "/opt//vyr/./", dir / "usr_link/vyr", dir.path()})
    EXPECT_TRUE(isUsableInstallDir(path)) << path;
  EXPECT_EQ(normaliseInstallDir(dir / "usr_link/./missing//x/.."), "/usr/missing");
}

}  // namespace
