// Runs the install engine alone, the way the install branch does, for sandbox scenarios:
//
//   engine_driver [-s sourceDir] [-u installDir] [-p ppdInstallDir] [-m cupsModelDir]
//                 [-g upgradeMode] [-i manifestName] [-D debugLevel]
//
// Commands are resolved as in a real run (chcon before the log is opened, cp and rm after), the
// run log is /var/log/Orvo4.0_UpdateLog, the manifest is read with getInfoData and handed to
// goInstall. Writes as root to absolute paths: run it only inside tests/sandbox/run.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "discovery/command_locator.h"
#include "install/install_engine.h"
#include "install/install_manifest.h"

int main(int argc, char** argv) {
  SetupState state;
  state.userId = static_cast<int>(getuid());
  state.groupId = static_cast<int>(getgid());
  state.commands.chcon = findCommand("chcon");
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd) != nullptr) state.sourceDir = cwd;

  int option;
  while ((option = getopt(argc, argv, "s:u:p:m:g:i:D:")) != -1) {
    switch (option) {
      case 's': state.sourceDir = optarg; break;
      case 'u': state.installDir = optarg; break;
      case 'p': state.ppdInstallDir = optarg; break;
      case 'm': state.cupsModelDir = optarg; break;
      case 'g': state.upgradeMode = std::atoi(optarg); break;
      case 'i': state.manifestName = optarg; break;
      case 'D': state.debugLevel = std::atoi(optarg); break;
      default:
        std::fputs("usage: engine_driver [-s dir] [-u dir] [-p dir] [-m dir] [-g mode] [-i name] [-D level]\n", stderr);
        return 2;
    }
  }

  state.logPath = msg::kLogPath;
  state.logIsOpen = openRunLog(state, state.userId);
  state.commands.cp = findCommand("cp").value_or("cp");
  state.commands.rm = findCommand("rm").value_or("rm");

  int itemCount = getInfoData(state);
  std::printf("items: %d\n", itemCount);
  goInstall(state, itemCount);
  closeRunLog(state);
  return 0;
}
