// Restarting the CUPS scheduler after its queues got new PPDs.
#pragma once

struct SetupState;

// Tries the service manager, then the service command or an init script, logging each command
// and status. Returns the last status as the shell gave it, or -1 when nothing could be run.
int restartCups(SetupState& state);
