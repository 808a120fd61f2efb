#include "core/tmp_name.h"

#include <cstdio>
#include <cstdlib>

#include "base/format.h"
#include "base/temp_file.h"
#include "core/messages.h"

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
