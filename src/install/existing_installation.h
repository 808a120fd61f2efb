// Detection of an earlier installation by its information file.
#pragma once

#include <string>
#include <utility>
#include <vector>

// Kinds of information file found.
inline constexpr int kPreviousNone = -1;
inline constexpr int kPreviousOlder = 1;    // orvoInfo2.0
inline constexpr int kPreviousCurrent = 2;  // orvoInfo4.0

// Information files passed over: each one's path and why it is not trusted.
using Distrusted = std::vector<std::pair<std::string, std::string>>;

// Probes /opt/vyr/orvoInfo2.0, then /opt/vyr/orvoInfo4.0 (or the file named by ORVOINFO for
// both) for a USRDIR line. Returns 1 and fills dir and kind when one was found; otherwise 0 with
// kind -1 and dir untouched. A candidate that is not trusted (base/trusted_path.h) counts as
// absent; `distrusted`, when given, receives each such file.
int findPreviousInstall(std::string& dir, int& kind, Distrusted* distrusted = nullptr);
