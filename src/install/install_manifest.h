// The install manifest: every file of the package, where it goes and with which mode.
#pragma once

#include <string>

#include "core/manifest_item.h"

struct SetupState;

inline constexpr int kManifestMaxItems = 256;
inline constexpr size_t kManifestSourceMax = 47;

// Reads the manifest into state.manifest and returns the number of items.
int getInfoData(SetupState& state);
// Removes trailing line feeds, carriage returns and blanks in place.
void trimRight(std::string& text);
