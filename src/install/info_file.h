// The information file orvoInfo4.0: where the package lives and which printers and users it serves.
#pragma once

struct SetupState;

// Writes a fresh orvoInfo4.0 in installDir (/opt/vyr when empty), mode 0755, owned by the caller.
void writeInfoFile(SetupState& state);
// Converts orvoInfo2.0 of installDir into orvoInfo4.0; falls back to writeInfoFile when the old
// file cannot be read or the new one cannot be made.
void upgradeInfoFile(SetupState& state);
