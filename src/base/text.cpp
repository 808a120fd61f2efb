#include "base/text.h"

#include <unistd.h>

#include <ctime>

bool pathExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

bool readPiece(std::FILE* file, std::string& piece, size_t maxChars) {
  piece.clear();
  int c = 0;
  while (piece.size() < maxChars && (c = std::fgetc(file)) != EOF) {
    piece += static_cast<char>(c);
    if (c == '\n') break;
  }
  return !piece.empty();
}

bool readWholeLine(std::FILE* file, std::string& line) {
  line.clear();
  int c = 0;
  while ((c = std::fgetc(file)) != EOF) {
    line += static_cast<char>(c);
    if (c == '\n') break;
  }
  return !line.empty();
}

std::string localTimeLine() {
  std::time_t now = std::time(nullptr);
  char buffer[64] = {};
  ctime_r(&now, buffer);  // "Sun Dec  6 02:21:39 2026\n"
  return buffer;
}
