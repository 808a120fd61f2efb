// The rollback (-r): refreshed queues back on the PPDs saved before their refresh.
#pragma once

struct SetupState;

// After the description of the machine: asks once for confirmation (and, with -q, before each
// queue), puts back every refreshed queue's backup, logs each queue's outcome, restarts the
// scheduler once when a queue was put back, and ends the process.
[[noreturn]] void rollbackBranch(SetupState& state);
