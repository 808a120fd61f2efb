#include "discovery/selinux_support.h"

#include <cstdio>

#include "base/format.h"
#include "base/shell.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "discovery/command_locator.h"

namespace {

// Fixed: the module does not follow the installation directory.
constexpr const char* kModulePath = "/opt/vyr/etc/orvo.pp";

}  // namespace

int installSeLinuxModule() {
  std::optional<std::string> semodule = findCommand("semodule");
  if (!semodule) return 0;
  if (!pathExists(kModulePath)) {
    std::fputs(msg::kSeLinuxNoModule, stderr);
    return 0;
  }
  runShell(format("%s -i %s", shellWord(*semodule).c_str(), kModulePath));
  return 0;
}

int chconPath(SetupState& state, const std::string& path, const std::string& options) {
  const std::optional<std::string>& chcon = state.commands.chcon;
  if (!chcon || !startsWith(*chcon, "/")) return -1;
  std::string command =
      format("%s %s %s 2>/dev/null", shellWord(*chcon).c_str(), options.c_str(), shellWord(path).c_str());
  int status = runShell(command);
  logLine(state, format(msg::kChconResult, command.c_str(), status));
  return status;
}
