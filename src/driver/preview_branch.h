// The preview (-n): what an installation would do to every queue, printed, with nothing changed.
#pragma once

struct SetupState;

// After the description of the machine: takes the inventory as an installation would, works out
// for every queue the new PPD and each default's fate in memory, prints them (as a table, or as
// the run's JSON result with -j) on standard output and ends the process. Writes no file, makes
// no directory or link, asks nothing and restarts nothing.
[[noreturn]] void previewBranch(SetupState& state);
