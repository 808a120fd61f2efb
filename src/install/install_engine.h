// The install engine: makes the directory tree, writes the generated files, copies the manifest
// items with cp (each copy renamed into place), links the filter into /usr/bin and relabels it for
// SELinux.
#pragma once

#include <string>

#include "install/install_manifest.h"

struct SetupState;

inline constexpr const char* kDefaultInstallDir = "/opt/vyr";

// Installs the first itemCount items of state.manifest. Ends the process (status 0, log closed)
// when the installation directory cannot be had.
void goInstall(SetupState& state, int itemCount);
// Makes dir, dir/bin and dir/etc: 1 when all three are directories, else 0. After a success
// (state.baseDirsMade) later calls return 1 at once.
int makeBaseDirs(SetupState& state, const std::string& dir);
// Saves the files of the PPD directory into /var/tmp/OrvoPPDFiles4.0-0.tar (a new file of root's,
// mode 0600, renamed over whatever stood there); the shell status, or -1 when the directory does
// not exist or the archive cannot be put in place.
int backupPPDs(SetupState& state, const std::string& dir);
// The item's source name after its last "/" (the whole name when it has none).
std::string baseName(const ManifestItem& item);
// Turns every control character (below 0x20) into a blank, in place.
void blankControls(std::string& text);
