#include "base/temp_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/format.h"
#include "driver/messages.h"

std::string makeTempFile(const std::string& pathPrefix, const std::string& suffix) {
  std::string name = pathPrefix + "XXXXXX" + suffix;
  int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
  if (fd < 0) return std::string();
  close(fd);
  return name;
}

std::string myTmpName(const std::string& dir, const char* prefix) {
  std::string base = dir;
  if (!base.empty() && base.back() == '/') base.pop_back();
  std::string name = makeTempFile(base + "/QIX");
  if (name.empty()) {
    std::fputs(format(msg::kTmpNameFailed, dir.c_str(), prefix ? prefix : "QIX").c_str(), stderr);
    std::exit(-1);
  }
  return name;
}

TempFileGuard::~TempFileGuard() {
  if (!path_.empty()) unlink(path_.c_str());
}
