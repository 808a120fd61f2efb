// The per-printer PPD refresh: each collected queue gets the package's new PPD with its old
// option defaults carried over.
#pragma once

#include <string>

#include "queues/opt_list.h"
#include "queues/printer_list.h"

struct SetupState;

// Refreshes `count` printers from the head of `list` (asking first when `ask` is set), then
// restarts CUPS once no job prints (scheduler_restart.h). Returns 1 when the loop ran, 0 when there was nothing to do.
int updatePrinterPPDs(SetupState& state, const std::string& ppdDir, PrinterList& list, int count, int ask);

// Writes the rewritten PPD of `printer` into a new temporary file named in outputPath. When it
// stops early, outputPath names no file, so nothing can be installed from it.
void buildNewPPD(SetupState& state, const std::string& ppdDir, const OptList& options, int nOptions,
                 const PrinterEntry& printer, std::string& outputPath);

// Removes what a killed earlier run left: its temporary files in /tmp (qixin*, qixot*, QIX*) and
// the temporary siblings beside the queue PPDs and their backups, only regular files owned by root
// and older than this run. Runs before the queues are listed.
void removeRefreshLeftovers(SetupState& state);

// Opens the rewritten PPD with the PPD library: 1 when it parses and every default carried into
// it from `options` is the choice the library marks for its option; else logs why and returns 0.
int checkNewPPD(SetupState& state, const std::string& newPpdPath, const OptList& options, const std::string& queueName);

// Replaces the queue's ".ppd.rpmsave" backup by a complete copy of its current PPD (the copy
// command's target is a sibling that is renamed over the backup); 1 when the backup is complete,
// 0 with the old backup untouched otherwise.
int savePPD(SetupState& state, const std::string& ppdPath, const std::string& queueName);
// The backup path of a queue's PPD.
std::string backupPathFor(const std::string& ppdPath, const std::string& queueName);

// Replaces the queue's PPD by a complete copy of the rewritten PPD, made through a sibling with
// the old PPD's owner, group and mode; 1 when replaced, 0 with the PPD byte-identical otherwise.
int installNewPPD(SetupState& state, const std::string& ppdPath, const std::string& newPpdPath);

// Copies the bytes of one file into another (created or truncated); true when all was written.
bool copyFile(const std::string& from, const std::string& to);
