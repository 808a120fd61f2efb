// The install branch: find an earlier installation, install, refresh the queues, restart CUPS.
#pragma once

struct SetupState;

[[noreturn]] void installBranch(SetupState& state);
// What an installation does to the package in an upgrade mode: "installed" (new), "updated" (over
// an older generation) or "reinstalled" (the same version once more).
const char* packageOutcome(int upgradeMode);
