// The run flow: options, run log, the description of the machine, then one of the two branches.
#pragma once

#include <string>

struct SetupState;

// Runs setup from start to end; every path ends the process with status 0.
[[noreturn]] void runSetup(SetupState& state, int argc, char** argv);
// Sets sourceDir from the path by which the program was started and logs it.
void setSourceDir(SetupState& state, const char* programPath);
// Writes the abandon report when abandon is set.
void reportAbandon(SetupState& state);
