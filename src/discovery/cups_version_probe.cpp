#include "discovery/cups_version_probe.h"

#include <string>

#include "base/format.h"
#include "base/shell.h"
#include "base/temp_file.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "core/tmp_name.h"
#include "discovery/command_locator.h"
#include "discovery/cups_version.h"

namespace {

constexpr size_t kNetcatPathBuffer = 80;  // a netcat path that does not fit is not used
constexpr int kServerWaitSeconds = 10;    // a server that accepts and never answers is given up on
constexpr int kDefaultVersion = 1400;
// A collected number of exactly 100 is no answer (an unset "1.0.0" in the version files).
constexpr int kNoAnswerNumber = 100;

constexpr const char* kCupsConfigPaths[] = {"/usr/bin/cups-config", "/usr/sbin/cups-config", "/sbin/cups-config"};

bool answers(int n) { return n > 0 && n != kNoAnswerNumber; }

// The whole text of a file; none when it does not open.
std::optional<std::string> readText(const std::string& path) {
  FileHandle file(path, "r");
  if (!file) return std::nullopt;
  std::string text;
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) text.append(buffer, got);
  return text;
}

// The version named by the first qualifying line of `path`; 0 when the file does not open or no
// line qualifies. The line goes to `lineOut`, as read.
int versionFromFile(const char* path, VersionFile kind, std::string& lineOut) {
  std::optional<std::string> text = readText(path);
  return text ? versionInText(kind, *text, lineOut) : 0;
}

const char* firstExisting(const char* first, const char* second) { return pathExists(first) ? first : second; }

// Sources 2 and 3 write a blank before "//", the others do not.
void logVersion(SetupState& state, bool spaced, int v, const std::string& text) {
  if (spaced)
    logLine(state, format(msg::kCupsVersionSpaced, v, text.c_str()));
  else
    logLine(state, format(msg::kCupsVersion, v, text.c_str()));
}

std::string netcatProgram(const SetupState& state) {
  if (!state.sourceDir.empty()) {
    std::string own = format("%s/qixnc", state.sourceDir.c_str());
    if (own.size() < kNetcatPathBuffer && pathExists(own)) return own;
  }
  if (pathExists("/opt/vyr/bin/qixnc")) return "/opt/vyr/bin/qixnc";
  return findCommand("nc").value_or("nc");
}

}  // namespace

int cupsVersionFromServer(SetupState& state) {
  TempFileGuard answer(myTmpName("/tmp", "QIX"));
  std::string script = format("#!/bin/sh\n%s localhost 631 >%s <<EOF\nHEAD / HTTP/1.1\nConnection: Close\n%c\nEOF\n",
                              shellWord(netcatProgram(state)).c_str(), answer.path().c_str(), '\n');
  runShell(script, kServerWaitSeconds);
  std::optional<std::string> text = readText(answer.path());
  return text ? serverAnswerVersion(*text) : 0;
}

int getCupsVersion(SetupState& state) {
  if (int n = cupsVersionFromServer(state); n > 0) {
    int v = normaliseVersion(n);
    logLine(state, format(msg::kCupsHeaderVersion, v));
    return v;
  }

  for (const char* tool : kCupsConfigPaths) {
    if (!pathExists(tool)) continue;
    std::string line;
    {
      TempFileGuard answer(myTmpName("/tmp", "QIX"));
      runShell(format("%s --version >  %s", tool, answer.path().c_str()));
      if (std::optional<std::string> text = readText(answer.path())) line = firstPiece(*text);
    }
    if (int n = collectVersionNumber(line); answers(n)) {
      int v = normaliseVersion(n);
      logVersion(state, true, v, line);
      return v;
    }
    break;  // only the first tool that exists is asked
  }

  struct FileSource {
    const char* path;
    VersionFile kind;
    bool spaced;
  };
  const FileSource fileSources[] = {
      {"/etc/cups/printers.conf", VersionFile::kPrintersConf, true},
      {"/usr/share/cups/doc/index.html", VersionFile::kIndexHtml, false},
  };
  // The first file of a list that yields a version answers; 0 when none does.
  auto fromFiles = [&state](const auto& sources) {
    for (const FileSource& source : sources) {
      std::string line;
      if (int n = versionFromFile(source.path, source.kind, line); answers(n)) {
        int v = normaliseVersion(n);
        logVersion(state, source.spaced, v, line);
        return v;
      }
    }
    return 0;
  };
  if (int v = fromFiles(fileSources)) return v;

  for (int minor = 0; minor <= 5; ++minor) {
    std::string path = format("%s/cups-1.%d", "/usr/share/doc", minor);
    if (pathExists(path)) {
      int v = 1000 + 100 * minor;
      logVersion(state, false, v, path);
      return v;
    }
  }

  // The PostScript page prefers the copy in /etc, the text page the one in /usr/share.
  const FileSource testPages[] = {
      {firstExisting("/etc/cups/data/testprint.ps", "/usr/share/cups/data/testprint.ps"), VersionFile::kTestPagePs,
       false},
      {firstExisting("/usr/share/cups/data/testprint", "/etc/cups/data/testprint"), VersionFile::kTestPageText, false},
  };
  if (int v = fromFiles(testPages)) return v;

  logVersion(state, false, kDefaultVersion, msg::kCupsVersionNotFound);
  return kDefaultVersion;
}
