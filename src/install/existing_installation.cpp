#include "install/existing_installation.h"

#include <cstdlib>
#include <cstring>

#include "base/trusted_path.h"
#include "base/text.h"
#include "queues/printer_list.h"

namespace {

// The candidate name must fit a 256-byte field; a longer ORVOINFO value names no file.
constexpr size_t kInfoPathMax = 255;

// The value of a USRDIR line: from 7 characters after the key (the key and one separator), past
// blanks, control characters and bytes of 0x80 and above, up to a blank, a line feed or the end.
std::string usrDirValue(const std::string& line, size_t keyPos) {
  size_t pos = keyPos + 7;
  if (pos > line.size()) return "";
  auto skipped = [](unsigned char c) { return c <= 0x20 || c >= 0x80; };
  while (pos < line.size() && skipped(static_cast<unsigned char>(line[pos]))) ++pos;
  size_t end = line.find_first_of(" \n", pos);
  if (end == std::string::npos) end = line.size();
  return line.substr(pos, end - pos);
}

}  // namespace

int findPreviousInstall(std::string& dir, int& kind, Distrusted* distrusted) {
  kind = kPreviousNone;
  static constexpr const char* kCandidates[] = {"/opt/vyr/orvoInfo2.0", "/opt/vyr/orvoInfo4.0"};
  static constexpr int kKinds[] = {kPreviousOlder, kPreviousCurrent};
  for (int probe = 0; probe < 2; ++probe) {
    std::string candidate = kCandidates[probe];
    // ORVOINFO names the file itself and replaces both candidates.
    if (const char* override = std::getenv("ORVOINFO")) {
      candidate = override;
      if (candidate.size() > kInfoPathMax) return 0;
    }
    // Only root's own file counts: one another user could have made or changed is no information file.
    FileHandle file;
    std::string why;
    if (openTrustedFile(candidate, kInfoFileMax, file, why) != 1) {
      if (!why.empty() && distrusted != nullptr) distrusted->emplace_back(candidate, why);
      continue;
    }
    std::string line;
    while (readPiece(file.get(), line)) {
      line.resize(std::strlen(line.c_str()));  // a NUL byte ends the text of a line
      size_t keyPos = line.find("USRDIR");
      if (keyPos == std::string::npos) continue;
      dir = usrDirValue(line, keyPos);
      kind = kKinds[probe];
      return 1;
    }
  }
  return 0;
}
