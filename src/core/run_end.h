// The end of every run: the run log is closed and the process ends with status 0.
#pragma once

struct SetupState;

// Closes the log and ends the process with status 0.
[[noreturn]] void finishRun(SetupState& state);
