// The de-installation branch (-d): confirmation, then the package's queues and files removed.
#pragma once

struct SetupState;

// Checks that the package is installed in installDir, asks for confirmation, removes its queues
// and files, and ends the process after closing the run log.
[[noreturn]] void deinstallBranch(SetupState& state);
