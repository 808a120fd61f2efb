// The run log: every step of a run, one line each, in /var/log/Orvo4.0_UpdateLog.
#pragma once

#include <string>

struct SetupState;

// Opens (truncates) the log; writes the relabel block when chcon is available. 1 or 0.
int openRunLog(SetupState& state, int userId);
// Writes one line, literally, adding a line end when missing; standard error when no log,
// nowhere in a preview.
// Returns 0 for an empty text.
int logLine(SetupState& state, const std::string& text);
// Writes the closing line and closes the log when it is open. Always 1.
int closeRunLog(SetupState& state);
