// Directory and link helpers of the installation; each logs what it did.
#pragma once

#include <sys/types.h>

#include <string>

struct SetupState;

// Neither makes anything in a preview.
// 0 when the path is a directory already, 1 when it was made (mode set by chmod), -1 when it is empty,
// is something else, is missing with create 0, or cannot be made.
int makeDir(SetupState& state, const std::string& path, int create, mode_t mode);
// Makes every missing ancestor of the path, then the path (mode 0777); the last makeDir result.
int makePath(SetupState& state, const std::string& path);
// Links linkPath to target unless the target is missing or something stands at linkPath: 0 or -1.
int linkIfAbsent(SetupState& state, const std::string& target, const std::string& linkPath);
