#include "install/ppd_install_dir.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string_view>

#include "base/format.h"
#include "base/regular_file.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/model_link.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "install/directory_helpers.h"
#include "queues/ppd_locations.h"

namespace {

constexpr size_t kLinkTargetMax = 256;  // readlink reads at most this many bytes of a target
constexpr int kLastCups12 = 1299;       // versions up to here need the PPD tree linked into the model dir

// A symbolic link, or a directory (links followed) that has subdirectories.
bool isNotableEntry(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) return true;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_nlink > 2;
}

std::string linkTarget(const std::string& path) {
  char buffer[kLinkTargetMax];
  ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

// The base itself when its last component is "vyr", else its "vyr" subdirectory.
std::string vyrBelow(std::string_view base) {
  std::string_view trimmed = base;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.remove_suffix(1);
  if (trimmed == "vyr" || endsWith(trimmed, "/vyr")) return std::string(base);
  return std::string(base) + "/vyr";
}

void logInstallDir(SetupState& state) { logLine(state, format(msg::kPpdInstallDir, state.ppdInstallDir.c_str())); }

// Logs the choice and makes the directory when it is missing; returns `result`.
int finish(SetupState& state, int result) {
  logInstallDir(state);
  if (isDirectory(state.ppdInstallDir)) return result;
  // Only a directory that was really made is reported as created.
  if (makeDir(state, state.ppdInstallDir, 1, 0755) >= 0) {
    logLine(state, format(msg::kCreatedDirectory, state.ppdInstallDir.c_str()));
  }
  return result;
}

int fallback(SetupState& state) {
  state.ppdInstallDir = state.cupsModelDir + "/vyr";
  return finish(state, 0);
}

// Links ppdInstallDir as "vyr" into the model directory and logs the outcome.
void linkIntoModelDir(SetupState& state) {
  const std::string linkPath = state.cupsModelDir + "/vyr";
  std::string line = format(msg::kLinked, 1, linkPath.c_str(), state.ppdInstallDir.c_str());
  if (linkIfAbsent(state, state.ppdInstallDir, linkPath) != 0) line += msg::kWrong;
  logLine(state, line);
}

// CUPS before 1.3 without a known link: a shared PPD tree is linked into the model directory.
int chooseUnlinkedOldCups(SetupState& state) {
  const int flags = state.ppdDirFlags;
  if ((flags & (kPpdUsrShare | kPpdOptShare)) == 0) {
    state.ppdInstallDir = state.cupsModelDir + "/vyr";  // made later by the install engine
    logInstallDir(state);
    return 1;
  }
  state.ppdInstallDir = (flags & kPpdUsrShare) != 0 ? "/usr/share/ppd/vyr" : "/opt/share/ppd/vyr";
  logInstallDir(state);
  if (pathExists(state.cupsModelDir + "/vyr")) return 1;
  if ((flags & kPpdUsrShare) != 0 && !pathExists(state.ppdInstallDir)) {
    makeDir(state, state.ppdInstallDir, 1, 0755);
  }
  linkIntoModelDir(state);
  return 1;
}

// CUPS before 1.3 with recorded links: the PPD tree behind the first fitting link.
int chooseLinkedOldCups(SetupState& state, int linkCount) {
  const int flags = state.ppdDirFlags;
  const char* needle = (flags & kPpdCustomDir) != 0                   ? "custom"
                       : (flags & kPpdFoomaticDir) != 0               ? "foomatic"
                       : (flags & (kPpdUsrShare | kPpdOptShare)) != 0 ? "/share/ppd"
                                                                      : nullptr;
  if (needle == nullptr) return fallback(state);
  const size_t count = std::min(static_cast<size_t>(linkCount), state.modelLinks.size());
  for (size_t i = 0; i < count; ++i) {
    const ModelLink& link = state.modelLinks[i];
    if (!contains(link.path, needle)) continue;
    state.ppdInstallDir = vyrBelow(startsWith(link.target, "/") ? link.target : link.path);
    return finish(state, 1);
  }
  return fallback(state);
}

int chooseNewCups(SetupState& state) {
  const int flags = state.ppdDirFlags;
  std::string& dir = state.ppdInstallDir;
  if ((flags & kPpdUsrShare) == 0) {
    if ((flags & kPpdOptShare) == 0) return fallback(state);
    if (!contains(dir, "/usr/opt")) {
      dir = "/usr/opt/ppd/vyr";
    } else if (contains(dir, "/opt/share")) {
      return fallback(state);
    } else {
      dir = "/opt/share/ppd/vyr";
    }
    return finish(state, 1);
  }
  if ((flags & kPpdOpenPrinting) != 0) {
    dir = "/usr/share/ppd/openprinting/vyr";
  } else if ((flags & kPpdDistribution) != 0) {
    dir = "/usr/share/ppd/vyr";
  } else if ((flags & kPpdOptShare) != 0) {
    dir = contains(dir, "/usr/opt") ? "/usr/opt/ppd/vyr" : "/usr/share/ppd/vyr";
  } else if (!contains(dir, "/usr/share")) {
    dir = "/usr/share/ppd/vyr";
  }
  return finish(state, 1);
}

}  // namespace

int readModelLinks(SetupState& state, int& linkCount) {
  const std::string& modelDir = state.cupsModelDir;
  if (modelDir.empty() || !pathExists(modelDir)) return 0;

  state.modelLinks.clear();
  int result = 0;
  bool sawFoomatic = false;
  const int flags = state.ppdDirFlags;
  DirHandle dir(opendir(modelDir.c_str()));
  while (dir != nullptr && static_cast<int>(state.modelLinks.size()) < kMaxModelLinks) {
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) break;
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = format("%s/%s", modelDir.c_str(), entry->d_name);
    if (contains(path, "foomatic")) {
      sawFoomatic = true;
      result = -1;
    }
    if (!isNotableEntry(path)) continue;
    const std::string target = linkTarget(path);

    // The first flag set decides; a match under any flag but "custom" ends the scan.
    bool record = false;
    bool lastWanted = true;
    if ((flags & kPpdCustomDir) != 0) {
      record = contains(path, "custom");
      lastWanted = false;
    } else if ((flags & kPpdFoomaticDir) != 0) {
      record = contains(target, "foomatic");
    } else if ((flags & kPpdUsrShare) != 0) {
      record = contains(target, "/usr/share/ppd");
    } else if ((flags & kPpdOptShare) != 0) {
      record = contains(target, "/opt/share/ppd");
    }
    if (!record) continue;
    state.modelLinks.push_back({path, target});
    result = 1;
    logLine(state, format(msg::kLinked, static_cast<int>(state.modelLinks.size()), path.c_str(), target.c_str()));
    if (lastWanted) break;
  }
  if (state.modelLinks.empty() && !sawFoomatic) logLine(state, format(msg::kNoKnownLinks, modelDir.c_str()));
  linkCount = static_cast<int>(state.modelLinks.size());
  return result;
}

int choosePPDInstallDir(SetupState& state, const std::string& existingPpdDir, int linkCount) {
  if (state.cupsModelDir.empty() || !pathExists(state.cupsModelDir)) return 0;
  if (!existingPpdDir.empty()) {
    state.ppdInstallDir = existingPpdDir;
    logInstallDir(state);
    logLine(state, format(msg::kUsingPreviousPpdDir, state.ppdInstallDir.c_str()));
    return 1;
  }
  if (state.cupsVersion <= kLastCups12) {
    return linkCount <= 0 ? chooseUnlinkedOldCups(state) : chooseLinkedOldCups(state, linkCount);
  }
  return chooseNewCups(state);
}
