#include "discovery/scheduler_detection.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/format.h"
#include "base/shell.h"
#include "base/temp_file.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/setup_state.h"

namespace {

// Lines of the process list and the start-up script are read in pieces of this size; a piece is
// handled as a line of its own, so a key split across two pieces is not found.
constexpr size_t kLineMax = 255;
// findCupsDataDir forms its first candidate in a buffer of this size; a longer one is skipped.
constexpr size_t kDataDirBuffer = 264;

constexpr const char* kStartupScripts[] = {
    "/etc/init.d/cups",        "/etc/init.d/cupsys",  "/etc/rc.d/init.d/cups", "/sbin/init.d/cups",
    "/etc/rc.d/init.d/cupsys", "/sbin/init.d/cupsys", "/etc/cups/cups",
};

constexpr const char* kDataDirs[] = {
    "/usr/share/cups", "/usr/local/share/cups", "/usr/local/cups", "/usr/cups", "/etc/share/cups",
};

int kindFromName(const char* value) {
  std::string_view name(value);
  if (name == "CUPS") return kSchedulerCups;
  if (name == "LPRNG") return kSchedulerLprng;
  if (name == "LPR") return kSchedulerLpr;
  if (name == "LP") return kSchedulerLp;
  return kSchedulerUnknown;
}

void dropOneLineFeed(std::string& text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
}

// The text after `key` on the first line (piece) of `file` for which `accept` holds.
template <typename Accept>
bool scanForKey(std::FILE* file, std::string_view key, Accept accept, std::string& valueOut) {
  std::string line;
  while (readPiece(file, line, kLineMax)) {
    if (!accept(line)) continue;
    valueOut = line.substr(line.find(key) + key.size());
    dropOneLineFeed(valueOut);  // the value stays verbatim otherwise: quotes, blanks, a CR
    return true;
  }
  return false;
}

// The pass-0 hit: the word holding the match (it starts after the nearest blank before the match)
// up to the end of the line gives the CUPS prefix, then the start-up script may correct it.
void takeCupsLayout(SetupState& state, const std::string& line, size_t match) {
  size_t wordStart = match;
  while (wordStart > 0 && !isBlank(line[wordStart - 1])) --wordStart;
  if (auto prefix = cupsPrefixFromCommand(std::string_view(line).substr(wordStart))) state.cupsBinDir = *prefix;
  std::string base, bin;
  if (readCupsLayout(state, base, bin) == 1) {
    if (!base.empty() && base != state.cupsBaseDir) state.cupsBaseDir = base;
    if (!bin.empty() && bin != state.cupsBinDir) state.cupsBinDir = bin;
  }
}

// `lpd -V` names LPRng on its error output; returns `result` otherwise.
int askLpd(int result) {
  TempFileGuard answer(makeTempFile("/tmp/QIXLPRNG"));
  if (answer.path().empty()) return result;
  runShell(format("lpd -V 2> %s", answer.path().c_str()));
  FileHandle file(answer.path(), "r");
  if (!file) return result;
  std::string line;
  while (readPiece(file.get(), line, kLineMax)) {
    if (contains(line, "LPRng")) {
      result = kSchedulerLprng;
      break;
    }
  }
  return result;
}

}  // namespace

int schedulerFromEnvironment() {
  const char* value = std::getenv("QIXLPMODE");
  if (value == nullptr) value = std::getenv("ORVOLPMODE");
  if (value == nullptr) return kSchedulerUnknown;
  return kindFromName(value);
}

int probeScheduler(SetupState& state) {
  static constexpr const char* kWords[] = {"cupsd", "lpsched", "lpd", "cupsd"};
  int result = kSchedulerUnknown;
  {
    // Made exclusively under an unpredictable name, so the redirection below can only ever
    // write into this file; removed on every way out of this block.
    TempFileGuard list(makeTempFile("/tmp/QIXLPD"));
    bool done = false;
    for (int pass = 0; pass < 4 && !done; ++pass) {
      const char* word = kWords[pass];
      std::string command = format("ps -ef | grep %s > %s", word, list.path().c_str());
      FileHandle file;
      if (!list.path().empty()) {
        runShell(command);
        sleep(1);
        file = FileHandle(list.path(), "r");
      }
      if (!file) {
        std::fputs(format(msg::kCannotOpenProbeFile, command.c_str(), pass).c_str(), stderr);
        break;
      }
      std::string line;
      while (readPiece(file.get(), line, kLineMax)) {
        if (state.debugLevel > 0) std::fputs(format(msg::kProbeLine, line.c_str(), pass).c_str(), stderr);
        if (contains(line, "grep")) continue;
        size_t match = line.find(word);
        if (match == std::string::npos) continue;
        switch (pass) {
          case 0: takeCupsLayout(state, line, match); return kSchedulerCups;
          case 1: return kSchedulerLp;
          case 2: result = kSchedulerLpr; break;
          default: return kSchedulerCups;
        }
        done = true;
        break;
      }
    }
  }
  return askLpd(result);
}

std::optional<std::string> cupsPrefixFromCommand(std::string_view text) {
  if (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  if (!startsWith(text, "/")) return std::nullopt;
  for (int i = 0; i < 2 && !text.empty() && (text.back() == '\n' || text.back() == '\r'); ++i) text.remove_suffix(1);
  if (!contains(text, "cupsd")) return std::nullopt;
  size_t match = text.find("/sbin/cupsd");
  if (match == std::string_view::npos) match = text.find("/bin/cupsd");
  if (match == std::string_view::npos) return std::nullopt;
  return std::string(text.substr(0, match));
}

int readCupsLayout(const SetupState& state, std::string& baseOut, std::string& binOut) {
  baseOut.clear();
  binOut.clear();
  for (const char* script : kStartupScripts) {
    FileHandle file(script, "r");
    if (!file) continue;
    // Only the first script that opens is read.
    bool haveExecPrefix = scanForKey(
        file.get(), "exec_prefix=", [](const std::string& line) { return contains(line, "exec_prefix="); }, binOut);
    std::rewind(file.get());
    bool havePrefix = scanForKey(
        file.get(),
        "prefix=", [](const std::string& line) { return contains(line, "prefix=") && !contains(line, "exec_prefix="); },
        baseOut);
    if (havePrefix || haveExecPrefix) return 1;
    break;
  }
  if (!state.cupsBinDir.empty()) {
    if (!pathExists(state.cupsBinDir)) return 0;
    binOut = state.cupsBinDir;
    if (state.cupsBinDir == "/usr" && pathExists("/etc/cups")) {
      baseOut = "/";
      return 1;
    }
    return 0;
  }
  if (pathExists("/usr/share/cups")) {
    binOut = "/usr";
    if (pathExists("/etc/cups")) {
      baseOut = "/";
      return 1;
    }
  }
  return 0;
}

std::optional<std::string> findCupsDataDir(const SetupState& state) {
  if (!state.cupsBinDir.empty()) {
    std::string candidate = format("%s/share/cups", state.cupsBinDir.c_str());
    if (candidate.size() < kDataDirBuffer && pathExists(candidate)) return candidate;
  }
  for (const char* candidate : kDataDirs) {
    if (pathExists(candidate)) return std::string(candidate);
  }
  return std::nullopt;
}
