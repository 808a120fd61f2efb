// Writing a file where another user may have put something first: the content goes into a new file
// made exclusively beside the target, which gets its owner and mode, is flushed and then renamed over
// the target. Whatever stood at the target (a link, a FIFO, another user's file) is replaced, never
// followed or reused, and a kill or a full disk leaves the old file or the new one, never half of one.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

// A new empty file beside `path`, named path + "." + six random characters, made with O_EXCL and
// readable only by its owner; empty when it cannot be made.
std::string makeSiblingFile(const std::string& path);

// Gives the finished file `made` its owner, group and mode through the open file, flushes it and
// renames it over `path`. 1 when done; otherwise 0, `made` removed and `path` as it was.
int settleOver(const std::string& made, const std::string& path, mode_t mode, uid_t owner, gid_t group);

// Writes `text` to a sibling and settles it over `path`. 1 when `path` holds `text`.
int replaceFileWithText(const std::string& path, std::string_view text, mode_t mode, uid_t owner, gid_t group);
