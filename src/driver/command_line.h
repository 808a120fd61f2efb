// The command line: two option passes over "df:hi:jkm:nq:ru:w:S:D:Z:" and the usage text.
#pragma once

struct SetupState;

inline constexpr const char* kOptionString = "df:hi:jkm:nq:ru:w:S:D:Z:";

// First pass: -d, -k, -f, -S, -n, -r, -j take effect, -h prints the usage and ends the process. An -u or -i
// argument that does not fit its field stops the run here, before anything is changed.
void parseFirstPass(SetupState& state, int argc, char** argv);
// Second pass: -D, -Z, -i, -u, -q, -m, -w take effect.
void parseSecondPass(SetupState& state, int argc, char** argv);
// Writes the usage text to standard error and exits with status 0.
[[noreturn]] void printUsage();
// 1 when the selinuxenabled command exists and exits with status 0.
int seLinuxEnabled(const SetupState& state);
// Base-10 leading-integer rule: blanks and a sign accepted, trailing text ignored, no digits 0.
int optionInteger(const char* text);
