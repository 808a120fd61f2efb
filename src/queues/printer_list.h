// The printer list: the package's printer queues, in order of addition.
#pragma once

#include <sys/types.h>

#include <string>

#include "core/printer_entry.h"

struct SetupState;

// The largest information file read; the file lies where any user can write.
inline constexpr off_t kInfoFileMax = off_t{1} << 20;

// Appends an entry at the end of the ring; an absent list head ends the process with status 1.
void addPList(PrinterList* list, const PrinterEntry& entry);
// Drops every entry after the head; the head's own fields stay.
int clearPList(PrinterList& list);
// clearPList, then a zeroed head.
int resetPList(PrinterList& list);
// Reads the PRINTERS block of the information file of the given kind in installDir.
int readInfoPrinters(SetupState& state, int kind, PrinterList& list);
// Cuts trailing blanks and line feeds among the first `bound` characters; returns the new length.
size_t stripLineEnd(std::string& text, size_t bound);
// A queue name is used in a path only when it is one path component that fits its field, free
// of NUL and other control characters.
bool isUsableQueueName(const std::string& name);
// The name with each control character shown as a backslash and three octal digits, for the log.
std::string visibleName(const std::string& name);
