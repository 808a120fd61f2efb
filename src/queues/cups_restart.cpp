#include "queues/cups_restart.h"

#include "base/format.h"
#include "base/shell.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "discovery/command_locator.h"

int restartCups(SetupState& state) {
  std::string command;
  std::optional<std::string> systemctl = findCommand("systemctl");
  if (systemctl && pathExists(*systemctl)) {
    command = format("%s restart cups.service", shellWord(*systemctl).c_str());
    logLine(state, format(msg::kCupsRestartCommand, command.c_str()));
  }

  int status = -1;
  if (!command.empty()) {
    status = runShell(command);
    logLine(state, format(msg::kCupsResetReturned, status));
    if (status == 0) {
      state.result.restarted = true;
      return 0;
    }
  } else {
    logLine(state, format(msg::kCupsResetReturned, -1));
  }

  // The older service and init-script conventions.
  std::optional<std::string> service = findCommand("service");
  if (service && pathExists(*service)) {
    command = format("%s cups restart", shellWord(*service).c_str());
  } else if (pathExists("/etc/init.d/cups")) {
    command = "/etc/init.d/cups restart";
  } else if (pathExists("/etc/init.d/cupsys")) {
    command = "/etc/init.d/cupsys restart";
  } else {
    command.clear();
    logLine(state, msg::kCannotResetCups);
  }
  if (!command.empty()) status = runShell(command);
  logLine(state, format(msg::kCupsResetReturned, status));
  if (status == 0) state.result.restarted = true;
  return status;
}
