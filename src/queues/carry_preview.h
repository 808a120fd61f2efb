// What the carry-over would make of a queue's defaults, worked out in memory: nothing is written.
#pragma once

#include <string>

#include "core/printer_entry.h"

struct SetupState;

// Reads the queue's defaults and the package's new PPD (plain or gzip-compressed) and runs the
// carry-over into memory, so its decisions land in the current queue of state.result exactly as
// a refresh would make them. 1 when the new PPD could be read, else 0.
int previewCarryOver(SetupState& state, const PrinterEntry& printer, const std::string& newPpdPath);
