// The per-printer PPD refresh: each collected queue gets the package's new PPD with its old
// option defaults carried over.
#pragma once

#include <string>

#include "queues/opt_list.h"
#include "queues/printer_list.h"

struct SetupState;

// Refreshes `count` printers from the head of `list` (asking first when `ask` is set), then
// restarts CUPS. Returns 1 when the loop ran, 0 when there was nothing to do.
int updatePrinterPPDs(SetupState& state, const std::string& ppdDir, PrinterList& list, int count, int ask);

// Writes the rewritten PPD of `printer` into a new temporary file named in outputPath. When it
// stops early, outputPath names no file, so nothing can be installed from it.
void buildNewPPD(SetupState& state, const std::string& ppdDir, const OptList& options, int nOptions,
                 const PrinterEntry& printer, std::string& outputPath);

// Copies the queue's current PPD to its ".ppd.rpmsave" backup; 1 when the copy succeeded.
int savePPD(SetupState& state, const std::string& ppdPath, const std::string& queueName);
// The backup path of a queue's PPD.
std::string backupPathFor(const std::string& ppdPath, const std::string& queueName);

// Copies the rewritten PPD over the queue's PPD; 1 when the copy succeeded.
int installNewPPD(SetupState& state, const std::string& ppdPath, const std::string& newPpdPath);

// Copies the bytes of one file into another (created or truncated); true when all was written.
bool copyFile(const std::string& from, const std::string& to);
