// The queue configuration file /opt/vyr/<queue>/root/orvoConfig and its version marker.
#pragma once

#include <cstddef>
#include <string>

struct SetupState;

// The largest queue configuration file that is read; anything larger is skipped.
inline constexpr size_t kQueueConfigMax = 1 << 20;

// Bumps the version marker of /opt/vyr/<queue>/root/orvoConfig; 1 when the file was rewritten.
// The file lies where any user can write: no link is followed on the way, and only a regular
// file of one name and at most kQueueConfigMax bytes is used; anything else is logged and skipped.
// The new text replaces the file whole, owner and mode kept.
int processPrinterConfig(SetupState& state, const std::string& queueName);
