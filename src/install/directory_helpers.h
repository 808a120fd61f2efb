// Directory and link helpers of the installation; each logs what it did.
#pragma once

#include <sys/types.h>

#include <string>

struct SetupState;

// Neither makes anything in a preview.
// 0 when the path is a directory already, 1 when it was made (mode set by chmod), -1 when it is empty,
// is something else, is missing with create 0, or cannot be made.
int makeDir(SetupState& state, const std::string& path, int create, mode_t mode);
// Makes every missing ancestor of the path (mode 0755), then the path with `mode`; the last makeDir result.
int makePath(SetupState& state, const std::string& path, mode_t mode);
// A directory of root's that other users may write but that is not sticky gets the sticky bit, so they
// keep adding their own entries but can no longer rename or remove root's (logged). Never through a
// link, never in a preview.
void keepOthersFromRenaming(SetupState& state, const std::string& dir);
// Links linkPath to target unless the target is missing or something stands at linkPath: 0 or -1.
int linkIfAbsent(SetupState& state, const std::string& target, const std::string& linkPath);
