// The un-installation shell script etc/UNINSTALLORVO left in the installation directory.
#pragma once

struct SetupState;

// Writes the script (mode 0755, owned by the caller), replacing an earlier one, and logs it.
void writeUninstallScript(SetupState& state);
