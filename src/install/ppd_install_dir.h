// The package's PPD install directory: links found in the CUPS model directory, and the final choice.
#pragma once

#include <string>

struct SetupState;

// Records the notable links of cupsModelDir in state.modelLinks (at most kMaxModelLinks) and stores
// their number in linkCount. 1 or -1 after a recorded link or a "foomatic" path, whichever came last;
// 0 when neither; 0 at once, count untouched, when cupsModelDir is empty or missing.
int readModelLinks(SetupState& state, int& linkCount);
// Settles state.ppdInstallDir, makes it or links it into cupsModelDir where needed. 1 when a rule
// settled it, 0 when the model directory is missing or the fallback below it was taken.
int choosePPDInstallDir(SetupState& state, const std::string& existingPpdDir, int linkCount);
