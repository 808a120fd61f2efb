#include "core/run_log.h"

#include <cstdio>

#include "base/format.h"
#include "base/shell.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/setup_state.h"

int openRunLog(SetupState& state, int userId) {
  if (state.logPath.empty()) state.logPath = msg::kLogPath;
  if (userId != 0) state.logPath += format("_%d", userId);
  state.logFile = std::fopen(state.logPath.c_str(), "w");
  if (state.logFile == nullptr) return 0;
  if (state.commands.chcon) {
    std::string command =
        format("%s -u system_u %s 2>/dev/null", state.commands.chcon->c_str(), shellWord(state.logPath).c_str());
    int status = runShell(command);
    logLine(state, msg::kPreparingLog);
    logLine(state, format(msg::kCommandReturned, command.c_str(), status));
    logLine(state, msg::kRule39);
  }
  return 1;
}

int logLine(SetupState& state, const std::string& text) {
  if (text.empty()) return 0;
  if (state.previewMode != 0) return 1;  // a preview keeps no record: it only prints its result
  std::FILE* out = state.logFile ? state.logFile : stderr;
  std::fwrite(text.data(), 1, text.size(), out);
  if (text.back() != '\n') std::fputc('\n', out);
  std::fflush(out);
  return 1;
}

int closeRunLog(SetupState& state) {
  if (state.logIsOpen && state.logFile) {
    std::string line = format(msg::kFinishLine, localTimeLine().c_str());
    std::fputs(line.c_str(), state.logFile);
    std::fclose(state.logFile);
    state.logFile = nullptr;
  }
  return 1;
}
