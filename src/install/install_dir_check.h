// The installation directory check: the package is never installed into, nor removed from, the
// root directory or a directory of the system hierarchy, however the path is spelled.
#pragma once

#include <string>

// The absolute form of the path: relative to the working directory when it does not begin with
// "/", repeated and trailing "/" removed, "." and ".." resolved, and symbolic links resolved in
// the longest part of it that exists.
std::string normaliseInstallDir(const std::string& dir);

// True when the path names no system directory once normalised: not "/", nor a directory that
// the file system hierarchy reserves (/etc, /usr, /usr/lib, /var, /var/spool, /opt, /srv ...).
// A directory below one of those (/opt/vyr, /srv/vyr2) is fine. An empty path is not.
bool isUsableInstallDir(const std::string& dir);
