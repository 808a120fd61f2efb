// Finds system commands by trying fixed candidate directories with an existence test.
#pragma once

#include <optional>
#include <string>

struct SetupState;

// Full path of the first existing candidate among the twelve system directories, or none.
std::optional<std::string> findCommand(const std::string& name);
// Searches under cupsBinDir (and cupsBaseDir) first; see the implementation for the fallbacks.
std::optional<std::string> findCupsCommand(const SetupState& state, const std::string& name);
