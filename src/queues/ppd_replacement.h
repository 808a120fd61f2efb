// Replacing a queue's PPD (or its backup) only by a complete file, the way the scheduler replaces
// its own files: the copy is made beside the target under a temporary name, flushed to disk and
// renamed over the target, so a full disk or a kill leaves either the old file or the new one.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

struct SetupState;

// A temporary sibling is "<target>" + kSiblingMarker + six random letters or digits: its name
// never ends in ".ppd", so it is never taken for a queue.
inline constexpr std::string_view kSiblingMarker = ".qixnew";

// Runs "<cp> -f <source> <sibling>" through the shell with a sibling of `target` made exclusively
// in the target's directory, gives the sibling the owner, group and mode of `model`, checks that
// it holds as many bytes as `source`, fsyncs it, renames it over `target` and fsyncs the
// directory. `status` receives the wait status of the copy command (-1 when it could not run).
// On any failure before the rename the sibling is removed, `target` is left as it was and
// `reason` says what failed. Returns 1 when `target` was replaced, else 0.
int replaceByCopy(SetupState& state, const std::string& source, const std::string& target, const std::string& model,
                  int& status, std::string& reason);

// True for a name that replaceByCopy gives its siblings.
bool isSiblingName(std::string_view name);

// Removes from dir, without following links, the regular files owned by root whose names
// `matches` accepts and that were last changed before `runStart`. Logs each removal; returns how
// many were removed.
int removeStaleFiles(SetupState& state, const std::string& dir, bool (*matches)(std::string_view name),
                     const timespec& runStart);
