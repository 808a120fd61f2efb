// Reading the CUPS version from the texts that name it (the server's answer, cups-config's answer,
// the files CUPS installs). The texts are read as the sources always have been: in pieces of at most
// 255 characters, each ended after a line feed. Asking for the texts is cups_version_probe's job.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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

// The first piece of a text (what cups-config's answer file gives).
std::string_view firstPiece(std::string_view text);

// The version the first "Server:" piece of a server's answer names, scaled to a whole number
// (CUPS/2.4 gives 240); 0 when no piece names the CUPS server.
int serverAnswerVersion(std::string_view answer);

// The number the first qualifying piece of a file's text names, that piece in `lineOut`, as read;
// 0 when no piece qualifies.
int versionInText(VersionFile file, std::string_view text, std::string& lineOut);
