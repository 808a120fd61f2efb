// The inventory of printer queues that use the package's older PPDs, and the search for the
// package's new PPD of a queue.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "queues/printer_list.h"

struct SetupState;

// Lines of a queue PPD looked at for its model and marker, and the most characters one read takes.
inline constexpr int kInventoryWindowLines = 30;
inline constexpr size_t kPpdPieceMax = 255;
// The largest queue PPD the inventory opens; PPDs are far smaller, so anything larger is no PPD.
inline constexpr off_t kQueuePpdMax = off_t{64} << 20;

// Where package PPDs are looked for when the package's own PPD directory has no match.
inline constexpr const char* kFallbackPpdDir = "/opt/vyr/ppd";

// The model text of a "*ModelName:" line when a table model occurs in it, else none. Sets
// pdlKind whenever the line holds "*ModelName:", modelId only on a table match.
std::optional<std::string> matchModelLine(std::string_view line, int& pdlKind, int& modelId);

// The digit after the package's version marker, or -1 without marker or digit.
int getPPDVersion(std::string_view line);

// The model text of the first line of a plain or gzip-compressed PPD that matchModelLine
// accepts, or none. A file that cannot be opened is reported on standard error.
std::optional<std::string> getPPDModel(SetupState& state, const std::string& path, int& pdlKind, int& modelId);

// 1 and the path of the first PPD in listing order of dir whose model text begins with the
// entry's model text and whose id and kind are the given ones, else 0. Each directory is read
// once per run; later lookups use state.newPpdIndex.
int findNewPPD(SetupState& state, const std::string& dir, const PrinterEntry& entry, int pdlKind, int modelId,
               std::string& pathOut);

// Collects the queues of the CUPS PPD directory that use the package's version-1 PPDs, logs
// them and their new PPDs. 1 when at least one queue was taken; count is the list's size.
int getInstalledPrinters(SetupState& state, PrinterList& printers, int& count);

// The package version marker of a queue PPD whose model is in the table (opened only as a
// regular file of sane size), or -1.
int queuePpdVersion(const std::string& path);
// The marker this package's own PPDs carry.
inline constexpr int kCurrentPpdVersion = 4;

// The two inventory reports of the run log.
void logInstalledPrinters(SetupState& state, const PrinterList& printers, int count);
void logNewPPDs(SetupState& state, const std::string& dir, const PrinterList& printers, int count);

// "/etc/cups/ppd" under the CUPS base directory.
std::string cupsPpdDirectory(const SetupState& state);
