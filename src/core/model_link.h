// A symbolic link or linked directory found in the CUPS model directory.
#pragma once

#include <string>

struct ModelLink {
  std::string path;    // cupsModelDir + "/" + entry name
  std::string target;  // link text; empty for a plain directory
};

inline constexpr int kMaxModelLinks = 8;
