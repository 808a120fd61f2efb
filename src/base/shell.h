// The one seam through which setup runs commands: /bin/sh -c, raw wait status back.
#pragma once

#include <string>
#include <string_view>

// Runs `command` through /bin/sh and returns the raw wait status (exit code 1 shows as 256),
// or 127 << 8 when no shell could be started, as system() gives. With timeoutSeconds > 0 the command's whole process
// group is killed when it has not ended in time; the status then reports the kill (SIGKILL).
int runShell(const std::string& command, int timeoutSeconds = 0);

// Quotes a word for the shell only when it needs it: a word made only of A-Za-z0-9_@%+=:,./-
// is returned unchanged, anything else is single-quoted.
std::string shellWord(std::string_view word);
