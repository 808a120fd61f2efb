// The queue configuration file /opt/vyr/<queue>/root/orvoConfig and its version marker.
#pragma once

#include <string>

struct SetupState;

// Bumps the version marker of /opt/vyr/<queue>/root/orvoConfig; 1 when the file was rewritten.
int processPrinterConfig(SetupState& state, const std::string& queueName);
