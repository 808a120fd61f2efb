// The package's SELinux policy module and security labels.
#pragma once

#include <string>

struct SetupState;

// Loads /opt/vyr/etc/orvo.pp with semodule; nothing when semodule is missing, a note on standard
// error when the module file is. Always 0.
int installSeLinuxModule();

// Relabels `path` with chcon and `options`, logging the command and its raw status. Returns that
// status, or -1 when no chcon with an absolute path is available.
int chconPath(SetupState& state, const std::string& path, const std::string& options);
