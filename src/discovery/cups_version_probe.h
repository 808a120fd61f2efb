// Finding the CUPS version of this machine: asking the local server, cups-config and the files
// CUPS installs, in that order (the texts are read by cups_version).
#pragma once

struct SetupState;

// Asks the server, then cups-config, then the files CUPS installs; logs the source that answered.
// 1400 when nothing answers.
int getCupsVersion(SetupState& state);

// The version in the "Server:" header of the local CUPS server (CUPS/2.4 gives 240), or 0 when the
// server does not answer within 10 seconds or names no version.
int cupsVersionFromServer(SetupState& state);
