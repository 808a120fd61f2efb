// Which print system the machine runs and, for CUPS, where CUPS lives.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct SetupState;

// The kind named by QIXLPMODE, or by ORVOLPMODE when QIXLPMODE is not set at all; 0 when
// neither names a kind exactly.
int schedulerFromEnvironment();

// Looks for a running print system in the process list (cupsd, lpsched, lpd, cupsd again, one
// second apart) and asks `lpd -V` which lpd it is. On CUPS it may fill cupsBinDir and
// cupsBaseDir. Returns the SchedulerKind found, 0 when none.
int probeScheduler(SetupState& state);

// The CUPS prefix of a cupsd command line: "/usr/sbin/cupsd -l" gives "/usr". None when the
// text is not an absolute cupsd path below a bin or sbin directory.
std::optional<std::string> cupsPrefixFromCommand(std::string_view text);

// Reads exec_prefix= and prefix= from the first CUPS start-up script that opens, falling back to
// the standard layout. 1 when it produced a layout, else 0.
int readCupsLayout(const SetupState& state, std::string& baseOut, std::string& binOut);

// The first existing CUPS data directory, or none.
std::optional<std::string> findCupsDataDir(const SetupState& state);
