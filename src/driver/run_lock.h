// One run at a time: an exclusive lock on a file under /run/lock, held until the process ends.
#pragma once

#include <string>

inline constexpr const char* kRunLockName = "orvo-setup.lock";

// The directory of the lock file: /run/lock, else /var/lock, else /run (the sandbox and some
// containers have neither); empty when none of them is a directory.
std::string runLockDirectory();

// Takes the lock on dir/kRunLockName, made when missing. 1: held, fd stays open (close-on-exec,
// so no command the run starts keeps it) until the process ends, and the file holds this
// process's id. 0: another run holds it; otherPid is that run's process id, or 0 when unknown.
// -1: no lock file can be had (no directory, no permission); the run goes on without it.
int takeRunLock(const std::string& dir, int& fd, long& otherPid);
