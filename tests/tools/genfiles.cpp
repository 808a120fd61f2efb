// genfiles: runs setup's un-installation script writer or the installation probe on its own, for
// sandbox scenarios that check them as the system sees them.
//
//   genfiles uninstall INSTALLDIR PPDINSTALLDIR  writeUninstallScript (rm as found on PATH)
//   genfiles find                                findPreviousInstall; prints "RESULT KIND DIR"
//
// Log lines go to standard error.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/setup_state.h"
#include "discovery/command_locator.h"
#include "install/existing_installation.h"
#include "install/uninstall_script.h"

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "uninstall" && argc == 4) {
    SetupState state;
    state.userId = static_cast<int>(getuid());
    state.groupId = static_cast<int>(getgid());
    state.installDir = argv[2];
    state.ppdInstallDir = argv[3];
    state.commands.rm = findCommand("rm").value_or("rm");
    writeUninstallScript(state);
  } else if (command == "find" && argc == 2) {
    std::string dir;
    int kind = 0;
    int result = findPreviousInstall(dir, kind);
    std::printf("%d %d %s\n", result, kind, dir.c_str());
  } else {
    std::fputs("usage: genfiles uninstall DIR PPDDIR | find\n", stderr);
    return 2;
  }
  return 0;
}
