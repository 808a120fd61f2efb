// One run at a time: an exclusive lock on a file in a directory only root can enter, held until the
// process ends. No other user can hold the lock, remove it, or stand something in its place.
#pragma once

#include <string>

inline constexpr const char* kRunLockDir = "/run/orvo-setup";
inline constexpr const char* kRunLockName = "setup.lock";

// Takes the lock on dir/kRunLockName; dir is made (0700) when missing, never through a link, and
// used only when it is root's and closed to others. 1: held, fd stays open (close-on-exec, so no
// command the run starts keeps it) until the process ends, and the file holds this process's id.
// 0: another run holds it; otherPid is that run's process id, or 0 when unknown. -1: the lock
// cannot be had, `why` says why.
int takeRunLock(const std::string& dir, int& fd, long& otherPid, std::string& why);
