#include "core/run_log.h"

#include <cstdio>

#include "base/format.h"
#include "base/regular_file.h"
#include "base/shell.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/setup_state.h"

namespace {

// The log is created or truncated, never through a link and never as anything but a regular file
// of one name (a FIFO planted there would block the run); each line reaches the file as it is written.
std::FILE* openLogFile(const std::string& path) {
  FileHandle file;
  if (openRegularFileForWriting(path, 0666, file) != 1) return nullptr;
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  return file.release();
}

// False when the destination is missing or did not take the whole line (a full disk).
bool writeLine(std::FILE* out, const std::string& line) {
  if (out == nullptr) return false;
  bool written = std::fwrite(line.data(), 1, line.size(), out) == line.size();
  written = std::fflush(out) == 0 && written;
  if (!written) std::clearerr(out);
  return written;
}

}  // namespace

int openRunLog(SetupState& state, int userId) {
  if (state.logPath.empty()) state.logPath = msg::kLogPath;
  if (userId != 0) state.logPath += format("_%d", userId);
  state.logFile = openLogFile(state.logPath);
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
  const std::string line = text.back() == '\n' ? text : text + "\n";
  if (!writeLine(state.logFile, line)) writeLine(stderr, line);
  return 1;
}

int closeRunLog(SetupState& state) {
  if (state.logIsOpen && state.logFile) {
    std::string line = format(msg::kFinishLine, localTimeLine().c_str());
    if (!writeLine(state.logFile, line)) writeLine(stderr, line);
    std::fclose(state.logFile);
    state.logFile = nullptr;
  }
  return 1;
}
