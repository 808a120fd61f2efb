#include "discovery/cups_version.h"

#include <cctype>
#include <cstdlib>
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

namespace {

constexpr size_t kLineMax = 255;          // lines are read in pieces of at most this size
constexpr size_t kNumberTextMax = 23;     // a number text holds at most this many digits
constexpr size_t kServerNumberMax = 31;   // the server's version text holds at most this many characters
constexpr size_t kIntDigitsKept = 9;      // more significant digits than this would overflow an int
constexpr size_t kNetcatPathBuffer = 80;  // a netcat path that does not fit is not used
constexpr int kServerWaitSeconds = 10;    // a server that accepts and never answers is given up on
constexpr int kDefaultVersion = 1400;
// A collected number of exactly 100 is no answer (an unset "1.0.0" in the version files).
constexpr int kNoAnswerNumber = 100;

constexpr const char* kCupsConfigPaths[] = {"/usr/bin/cups-config", "/usr/sbin/cups-config", "/sbin/cups-config"};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The text after the first `phrase` of `line`, or none.
std::optional<std::string_view> after(std::string_view line, std::string_view phrase) {
  size_t at = line.find(phrase);
  if (at == std::string_view::npos) return std::nullopt;
  return line.substr(at + phrase.size());
}

std::optional<std::string_view> afterIgnoringCase(std::string_view line, std::string_view phrase) {
  auto lower = [](std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  };
  size_t at = lower(line).find(lower(phrase));
  if (at == std::string::npos) return std::nullopt;
  return line.substr(at + phrase.size());
}

bool answers(int n) { return n > 0 && n != kNoAnswerNumber; }

// The version named by the first qualifying line of `path`; 0 when the file does not open or no
// line qualifies. The line goes to `lineOut`, as read.
int versionFromFile(const char* path, VersionFile kind, std::string& lineOut) {
  FileHandle file(path, "r");
  if (!file) return 0;
  std::string line;
  while (readPiece(file.get(), line, kLineMax)) {
    if (auto n = versionInLine(kind, line)) {
      lineOut = line;
      return *n;
    }
  }
  return 0;
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

int normaliseVersion(int n) {
  if (n <= 0) return n;
  while (n <= 999) n *= 10;
  while (n > 9999) n /= 10;
  return n;
}

int collectVersionNumber(std::string_view text) {
  std::string digits;
  for (char c : text) {
    if (c == '.') continue;
    if (!isDigit(c)) break;
    if (digits.size() < kNumberTextMax) digits += c;
  }
  // Only the leading digits matter to the version; keep as many as an int holds.
  size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return 0;
  return std::atoi(digits.substr(first, kIntDigitsKept).c_str());
}

std::optional<int> serverHeaderVersion(std::string_view line) {
  if (!contains(line, "Server:")) return std::nullopt;
  auto rest = after(line, "CUPS");
  if (!rest) return std::nullopt;
  if (startsWith(*rest, "/")) rest->remove_prefix(1);
  std::string text;
  for (char c : *rest) {
    if (!isDigit(c) && c != '.') break;
    if (text.size() < kServerNumberMax) text += c;
  }
  // Single precision as the version has always been read: 1.4 scales to 140, not 139.
  float version = std::strtof(text.c_str(), nullptr);
  if (version < 10.0f)
    version = version * 100.0f;
  else if (version < 100.0f)
    version = version * 10.0f;
  while (version >= 1e9f) version = version / 10.0f;  // keeps the leading digits within an int
  return static_cast<int>(version);
}

std::optional<int> versionInLine(VersionFile file, std::string_view line) {
  std::optional<std::string_view> rest;
  switch (file) {
    case VersionFile::kPrintersConf:
      if ((rest = after(line, "Printer configuration"))) rest = after(*rest, " v");
      break;
    case VersionFile::kIndexHtml:
      if ((rest = after(line, "<TITLE>")) && (rest = after(*rest, "CUPS"))) {
        while (startsWith(*rest, " ")) rest->remove_prefix(1);
      }
      break;
    case VersionFile::kTestPagePs:
      if ((rest = after(line, "Printed Using CUPS"))) rest = after(*rest, " v");
      break;
    case VersionFile::kTestPageText:
      if ((rest = afterIgnoringCase(line, "produced by CUPS"))) {
        while (!rest->empty() && std::string_view(" \tvV").find(rest->front()) != std::string_view::npos)
          rest->remove_prefix(1);
      }
      break;
  }
  if (!rest) return std::nullopt;
  return collectVersionNumber(*rest);
}

int cupsVersionFromServer(SetupState& state) {
  TempFileGuard answer(myTmpName("/tmp", "QIX"));
  std::string script = format("#!/bin/sh\n%s localhost 631 >%s <<EOF\nHEAD / HTTP/1.1\nConnection: Close\n%c\nEOF\n",
                              shellWord(netcatProgram(state)).c_str(), answer.path().c_str(), '\n');
  runShell(script, kServerWaitSeconds);
  FileHandle file(answer.path(), "r");
  if (!file) return 0;
  std::string line;
  while (readPiece(file.get(), line, kLineMax)) {
    if (auto version = serverHeaderVersion(line)) return *version;
  }
  return 0;
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
      FileHandle file(answer.path(), "r");
      if (file) readPiece(file.get(), line, kLineMax);
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
