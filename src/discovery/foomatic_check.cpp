#include "discovery/foomatic_check.h"

#include "base/text.h"

namespace {

// A fixed list: neither the search path nor the CUPS directories are consulted.
constexpr const char* kFoomaticRipPaths[] = {
    "/usr/bin/foomatic-rip",
    "/bin/foomatic-rip",
    "/sbin/foomatic-rip",
    "/usr/local/bin/foomatic-rip",
    "/opt/bin/foomatic-rip",
    "/usr/lib/cups/filter/foomatic-rip",
    "/usr/local/lib/cups/filter/foomatic-rip",
    "/opt/lib/cups/filter/foomatic-rip",
    "/lib/cups/filter/foomatic-rip",
};

}  // namespace

int hasFoomaticRip() {
  for (const char* path : kFoomaticRipPaths) {
    if (pathExists(path)) return 1;
  }
  return 0;
}
