#include "discovery/cups_version.h"

#include <cctype>
#include <cstdlib>
#include <string>

#include "base/text.h"

namespace {

constexpr size_t kLineMax = 255;          // lines are read in pieces of at most this size
constexpr size_t kNumberTextMax = 23;     // a number text holds at most this many digits
constexpr size_t kServerNumberMax = 31;   // the server's version text holds at most this many characters
constexpr size_t kIntDigitsKept = 9;      // more significant digits than this would overflow an int

// The next piece of `text` as the version sources read their files: at most kLineMax
// characters, ended after a line feed. Empty at the end of the text.
std::string_view nextPiece(std::string_view& text) {
  size_t end = text.find('\n');
  end = end == std::string_view::npos ? text.size() : end + 1;
  std::string_view piece = text.substr(0, std::min(end, kLineMax));
  text.remove_prefix(piece.size());
  return piece;
}

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

std::string_view firstPiece(std::string_view text) { return nextPiece(text); }

int serverAnswerVersion(std::string_view answer) {
  for (std::string_view piece; !(piece = nextPiece(answer)).empty();)
    if (auto version = serverHeaderVersion(piece)) return *version;
  return 0;
}

int versionInText(VersionFile file, std::string_view text, std::string& lineOut) {
  for (std::string_view piece; !(piece = nextPiece(text)).empty();) {
    if (auto n = versionInLine(file, piece)) {
      lineOut = piece;
      return *n;
    }
  }
  return 0;
}
