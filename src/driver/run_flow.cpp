#include "driver/run_flow.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "base/format.h"
#include "base/text.h"
#include "discovery/command_locator.h"
#include "driver/command_line.h"
#include "driver/messages.h"
#include "driver/run_log.h"
#include "driver/setup_state.h"

namespace {

std::string orBareName(const char* name) { return findCommand(name).value_or(name); }

void resolveCommands(SetupState& state) {
  state.commands.cp = orBareName("cp");
  state.commands.rm = orBareName("rm");
  state.commands.gzip = orBareName("gzip");
  state.commands.lpadmin = orBareName("lpadmin");
  state.commands.lpstat = orBareName("lpstat");
}

// The run goes on only from under /opt/vyr, unless -f allows any directory or -d is given.
void checkStartDirectory(SetupState& state) {
  if (startsWith(state.sourceDir, "/opt/vyr") || state.allowAnyDir != 0 || state.deinstallMode == 1) return;
  logLine(state, msg::kSimulation);
  std::fputs(msg::kSimulation, stderr);
  std::fputs("\n", stderr);
  finishRun(state);
}

void checkRoot(SetupState& state) {
  if (state.userId == 0) return;
  if (state.debugLevel > 0) std::fputs(msg::kMustBeRootDebug, stderr);
  logLine(state, std::string(msg::kMustBeRoot) + "\n");
  finishRun(state);
}

}  // namespace

void finishRun(SetupState& state) {
  closeRunLog(state);
  std::exit(0);
}

void setSourceDir(SetupState& state, const char* programPath) {
  if (programPath == nullptr || *programPath == '\0') return;
  state.sourceDir = programPath;
  if (state.sourceDir.front() == '/') {
    size_t lastSlash = state.sourceDir.rfind('/');
    if (lastSlash != 0) state.sourceDir.resize(lastSlash);
  } else {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) != nullptr) state.sourceDir = cwd;
  }
  if (state.sourceDir == "/opt/vyr/bin") state.sourceDir = "/opt/vyr";
  logLine(state, format(msg::kSourceDir, state.sourceDir.c_str()));
}

void reportAbandon(SetupState& state) {
  if (state.abandon == 0) return;
  logLine(state, msg::kAbandonedBecause);
  if (state.notCups == 1) logLine(state, msg::kNoCupsDaemon);
  if (state.noFoomatic == 1) logLine(state, msg::kNoFoomatic);
  logLine(state, msg::kSorry);
}

void runSetup(SetupState& state, int argc, char** argv) {
  // Start-up, before the log exists.
  state.commands.selinuxenabled = findCommand("selinuxenabled");
  state.commands.chcon = findCommand("chcon");
  state.userId = static_cast<int>(getuid());
  state.groupId = static_cast<int>(getgid());
  state.seLinuxMode = seLinuxEnabled(state);
  parseFirstPass(state, argc, argv);

  state.logPath = msg::kLogPath;
  state.logIsOpen = openRunLog(state, state.userId);
  resolveCommands(state);
  logLine(state, format(msg::kStartLine, localTimeLine().c_str()));
  setSourceDir(state, argc > 0 ? argv[0] : nullptr);
  checkStartDirectory(state);
  state.installDir = "/opt/vyr";
  state.manifestName = "ORVOINST.CONF";
  logLine(state, format(msg::kSeLinuxRunning, state.seLinuxMode != 0 ? "Yes" : "No"));
  if (state.seLinuxMode != 0) logLine(state, msg::kSeLinuxModuleInstalled);
  parseSecondPass(state, argc, argv);

  // The description of the machine.
  checkRoot(state);

  finishRun(state);
}
