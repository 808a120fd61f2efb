// What a run as root may rely on: files and directories that no other user can change.
// A file is trusted when root owns it and neither its group nor others may write it; a directory on
// its way when root owns it and others may not write it, or it is sticky (as /tmp: others cannot
// rename or remove root's entries there). A link on the way is followed only when root owns it, and
// what it points to passes the same test.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "base/text.h"

// Empty when `path` (a regular file or a directory) and every directory on its way are trusted;
// otherwise why not, naming the part that failed. A relative path starts at the current directory.
std::string distrustOf(const std::string& path);

// The test of one object alone, described by lstat or fstat at `path`: empty when trusted, else why not.
std::string distrustOfObject(const std::string& path, const struct stat& info);

// Opens a trusted regular file of at most maxBytes for reading (never through a link, never waiting
// on a FIFO). 1 with `file` open; 0 when nothing of that name exists; -1 when it exists but is not
// trusted or not usable, with `why` saying so.
int openTrustedFile(const std::string& path, off_t maxBytes, FileHandle& file, std::string& why);
