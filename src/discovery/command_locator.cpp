#include "discovery/command_locator.h"

#include "base/format.h"
#include "base/text.h"
#include "core/setup_state.h"

namespace {

constexpr const char* kCommandDirs[] = {
    "/usr/bin/%s", "/usr/sbin/%s", "/usr/ucb/%s", "/bin/%s", "/sbin/%s",          "/usr/bsd/%s",
    "/etc/%s",     "/usr/etc/%s",  "/usr/lib/%s", "/lib/%s", "/usr/local/bin/%s", "/usr/freeware/bin/%s",
};
constexpr const char* kCupsCommandDirs[] = {"%s/bin/%s", "%s/sbin/%s", "%s/etc/%s", "%s/lib/%s"};

// Candidates are formed in fixed buffers; one that would not fit is skipped, never cut.
constexpr size_t kCommandBuffer = 128;
constexpr size_t kCupsCommandBuffer = 264;

}  // namespace

std::optional<std::string> findCommand(const std::string& name) {
  for (const char* pattern : kCommandDirs) {
    std::string candidate = format(pattern, name.c_str());
    if (candidate.size() >= kCommandBuffer) continue;
    if (pathExists(candidate)) return candidate;
  }
  return std::nullopt;
}

std::optional<std::string> findCupsCommand(const SetupState& state, const std::string& name) {
  if (state.cupsBinDir.empty()) return findCommand(name);
  std::string roots[] = {state.cupsBinDir, state.cupsBaseDir};
  for (const std::string& root : roots) {
    if (root.empty()) continue;
    for (const char* pattern : kCupsCommandDirs) {
      std::string candidate = format(pattern, root.c_str(), name.c_str());
      if (candidate.size() >= kCupsCommandBuffer) continue;
      if (pathExists(candidate)) return candidate;
    }
  }
  return name;
}
