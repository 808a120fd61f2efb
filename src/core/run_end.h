// The end of every run: the run log is closed and the process ends with status 0.
#pragma once

struct SetupState;

// Writes the run's result beside the run log (not for a preview), closes the log and ends the
// process with status 0.
[[noreturn]] void finishRun(SetupState& state);
