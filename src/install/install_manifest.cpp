#include "install/install_manifest.h"

#include <climits>
#include <cstdio>

#include "base/format.h"
#include "base/text.h"
#include "base/trusted_path.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"

namespace {

// A manifest is a short list; anything larger is not one.
constexpr off_t kManifestMax = off_t{1} << 20;

// Fields are separated by runs of any byte outside 0x21..0x7F.
bool isSeparator(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u < 0x21 || u > 0x7F;
}

size_t findSeparator(const std::string& text, size_t from) {
  while (from < text.size() && !isSeparator(text[from])) ++from;
  return from;
}

// Octal digits from the start of text, as %o reads them; an absurdly long number stays bounded.
int readOctal(const std::string& text) {
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '7') break;
    value = value * 8 + (c - '0');
    if (value > INT_MAX / 8) break;
  }
  return static_cast<int>(value);
}

// The mode after the separator that ends the destination: from the first "00" to the next
// separator. A zero value means 0755; no "00" at all means no mode (0).
int modeAfter(const std::string& line, size_t destinationEnd) {
  if (destinationEnd >= line.size()) return 0;
  size_t start = line.find("00", destinationEnd + 1);
  if (start == std::string::npos) return 0;
  int mode = readOctal(line.substr(start, findSeparator(line, start) - start));
  return mode == 0 ? 0755 : mode;
}

}  // namespace

void trimRight(std::string& text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
}

int getInfoData(SetupState& state) {
  state.manifest.clear();
  // The manifest decides what root copies where: only root's own file, out of other users' reach.
  std::string path = format("%s/etc/%s", state.sourceDir.c_str(), state.manifestName.c_str());
  FileHandle file;
  std::string why;
  int opened = openTrustedFile(path, kManifestMax, file, why);
  if (opened == 0) {
    path = format("%s/%s", state.sourceDir.c_str(), state.manifestName.c_str());
    opened = openTrustedFile(path, kManifestMax, file, why);
  }
  if (opened < 0) {
    std::string text = format(msg::kPackageUntrusted, path.c_str(), why.c_str());
    std::fputs((text + "\n").c_str(), stderr);
    logLine(state, text);
    abandonResult(state.result, text);
    return 0;
  }
  if (opened == 0) {
    logLine(state, format(msg::kCannotOpenInfoFile, path.c_str()));
    return 0;
  }
  logLine(state, format(msg::kManifestOpened, path.c_str()));

  std::string line;
  while (readPiece(file.get(), line)) {
    if (contains(line, "@@NULL")) break;
    if (line.front() == '#' || line == "\n") continue;
    trimRight(line);
    if (line.empty() || isSeparator(line.front())) continue;

    ManifestItem item;
    size_t sourceEnd = findSeparator(line, 0);
    item.source = line.substr(0, sourceEnd);
    size_t destinationStart = sourceEnd;
    while (destinationStart < line.size() && isSeparator(line[destinationStart])) ++destinationStart;
    size_t destinationEnd = findSeparator(line, destinationStart);
    item.destination = line.substr(destinationStart, destinationEnd - destinationStart);
    if (!item.destination.empty()) item.mode = modeAfter(line, destinationEnd);

    if (item.source.size() > kManifestSourceMax) {
      logLine(state, format(msg::kManifestSourceTooLong, static_cast<int>(kManifestSourceMax), item.source.c_str()));
      continue;
    }
    if (state.manifest.size() >= static_cast<size_t>(kManifestMaxItems)) {
      logLine(state, format(msg::kManifestFull, kManifestMaxItems));
      break;
    }
    if (item.mode != 0 && state.debugLevel > 0) {
      std::fputs(format(msg::kManifestItemDebug, item.source.c_str(), item.destination.c_str(), item.mode).c_str(),
                 stderr);
    }
    state.manifest.push_back(std::move(item));
  }
  return static_cast<int>(state.manifest.size());
}
