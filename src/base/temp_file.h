// Temporary files made exclusively, with unpredictable names under a fixed prefix.
#pragma once

#include <string>

// Creates an empty file named pathPrefix + six random characters + suffix (mkstemps), owner-only
// permissions; returns its path, or an empty text when it cannot be made.
std::string makeTempFile(const std::string& pathPrefix, const std::string& suffix = "");

// Removes the file when it goes out of scope.
class TempFileGuard {
 public:
  explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;
  ~TempFileGuard();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};
