// The install branch: find an earlier installation, install, refresh the queues, restart CUPS.
#pragma once

struct SetupState;

[[noreturn]] void installBranch(SetupState& state);
