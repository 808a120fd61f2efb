// The CUPS version as a four-digit number (1400 for CUPS 1.4, 2400 for CUPS 2.4).
#pragma once

#include <optional>
#include <string_view>

struct SetupState;

// Asks the server, then cups-config, then the files CUPS installs; logs the source that answered.
// 1400 when nothing answers.
int getCupsVersion(SetupState& state);

// The version in the "Server:" header of the local CUPS server (CUPS/2.4 gives 240), or 0 when the
// server does not answer within 10 seconds or names no version.
int cupsVersionFromServer(SetupState& state);

// Scales a positive number by powers of ten into 1000..9999 (24 gives 2400, 24212 gives 2421).
int normaliseVersion(int n);

// Collects a version number from the start of `text`: digits are joined, dots skipped, anything
// else ends it ("2.4.2" gives 242). At most 23 characters are collected; digits beyond are ignored.
int collectVersionNumber(std::string_view text);

// The version a "Server:" header line names, scaled to a whole number; none when the line does not
// name the CUPS server.
std::optional<int> serverHeaderVersion(std::string_view line);

// The CUPS files whose lines name the version, each with its own phrase.
enum class VersionFile { kPrintersConf, kIndexHtml, kTestPagePs, kTestPageText };

// The number a line of the file names, or none when the line is not the one that names it.
std::optional<int> versionInLine(VersionFile file, std::string_view line);
