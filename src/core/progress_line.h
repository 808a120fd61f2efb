// One line of progress on standard error when it is a terminal, rewritten in place; nothing at
// all otherwise. It never reaches the run log.
#pragma once

#include <string>

struct SetupState;

// Shows `text` as the progress line, replacing the one before.
void showProgress(SetupState& state, const std::string& text);
// Clears the progress line, when one is shown.
void clearProgress(SetupState& state);
