// PPD locations: where this machine keeps PPD files, found by probing well-known directories.
#pragma once

#include <string>

struct SetupState;

// Bits of the flag word findPPDLocations returns (kept in state.ppdDirFlags).
enum PpdDirFlag : int {
  kPpdCupsModelDir = 0x001,   // findCupsModelDir found a candidate
  kPpdFoomaticDir = 0x002,    // /usr/share/foomatic/db/source/PPD
  kPpdFoomaticOstra = 0x004,  // /usr/share/foomatic/db/source/PPD/Ostra
  kPpdCustomDir = 0x008,      // <cupsModelDir>/custom
  kPpdUsrShare = 0x010,       // /usr/share/ppd
  kPpdOptShare = 0x020,       // /opt/share/ppd
  kPpdSystemDir = 0x040,      // findSystemPPDDir found a candidate
  kPpdFoomaticVyr = 0x080,    // /usr/share/foomatic/db/source/PPD/vyr
  kPpdDistribution = 0x100,   // cups-included + openprinting, or HP + Epson, below /usr/share/ppd
  kPpdOpenPrinting = 0x200,   // /usr/share/ppd/openprinting
};

// 1 when the path exists and is a directory, symbolic links followed; else 0.
int isDirectory(const std::string& path);
// Sets cupsModelDir to the first existing candidate (1), or leaves its default (0).
int findCupsModelDir(SetupState& state);
// Sets systemPpdDir to the first existing candidate (1), or leaves its default (0).
int findSystemPPDDir(SetupState& state);
// Probes the PPD trees, sets cupsModelDir, systemPpdDir and a first ppdInstallDir, writes an earlier
// installation's PPD directory into existingPpdDir when one is there, logs the block; returns the flags.
int findPPDLocations(SetupState& state, std::string& existingPpdDir);
