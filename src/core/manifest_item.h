// One line of the install manifest: a package file, where it goes and with which mode.
#pragma once

#include <string>

struct ManifestItem {
  std::string source;       // at most kManifestSourceMax characters
  std::string destination;  // empty when the line has no second field
  int mode = 0;             // 0: the mode is left as the copy made it
};
