#include "base/temp_file.h"

#include <unistd.h>

#include <cstdlib>

std::string makeTempFile(const std::string& pathPrefix, const std::string& suffix) {
  std::string name = pathPrefix + "XXXXXX" + suffix;
  int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
  if (fd < 0) return std::string();
  close(fd);
  return name;
}

TempFileGuard::~TempFileGuard() {
  if (!path_.empty()) unlink(path_.c_str());
}
