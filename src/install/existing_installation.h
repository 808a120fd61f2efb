// Detection of an earlier installation by its information file.
#pragma once

#include <string>

// Kinds of information file found.
inline constexpr int kPreviousNone = -1;
inline constexpr int kPreviousOlder = 1;    // orvoInfo2.0
inline constexpr int kPreviousCurrent = 2;  // orvoInfo4.0

// Probes /opt/vyr/orvoInfo2.0, then /opt/vyr/orvoInfo4.0 (or the file named by ORVOINFO for
// both) for a USRDIR line. Returns 1 and fills dir and kind when one was found; otherwise 0 with
// kind -1 and dir untouched.
int findPreviousInstall(std::string& dir, int& kind);
