// Small text and file helpers every subsystem needs.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

inline bool contains(std::string_view text, std::string_view needle) {
  return text.find(needle) != std::string_view::npos;
}
inline bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
// A blank is a space or a tab.
inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
inline bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The directory part of a path: "/" for a name in the root, "." for a name without a slash.
inline std::string directoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// access(path, F_OK): any file system object of that name, links followed.
bool pathExists(const std::string& path);

// Reads a piece of at most `maxChars` characters, stopping after a line feed (fgets into a
// buffer of maxChars + 1 bytes). Returns false at end of input with nothing read.
bool readPiece(std::FILE* file, std::string& piece, size_t maxChars = 255);

// Reads one whole line, line feed included when present, whatever its length.
bool readWholeLine(std::FILE* file, std::string& line);

// The current local time in the 24-character calendar form, followed by a line end.
std::string localTimeLine();

// Owns a FILE* and closes it.
class FileHandle {
 public:
  FileHandle() = default;
  FileHandle(const std::string& path, const char* mode) : file_(std::fopen(path.c_str(), mode)) {}
  explicit FileHandle(std::FILE* file) : file_(file) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      close();
      file_ = other.file_;
      other.file_ = nullptr;
    }
    return *this;
  }
  ~FileHandle() { close(); }
  std::FILE* get() const { return file_; }
  // Gives up ownership: the caller closes the stream.
  std::FILE* release() {
    std::FILE* file = file_;
    file_ = nullptr;
    return file;
  }
  explicit operator bool() const { return file_ != nullptr; }
  // Returns fclose's result (0 on success); a closed handle gives 0.
  int close() {
    int result = 0;
    if (file_) result = std::fclose(file_);
    file_ = nullptr;
    return result;
  }

 private:
  std::FILE* file_ = nullptr;
};
