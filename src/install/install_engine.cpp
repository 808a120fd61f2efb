#include "install/install_engine.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "base/file_replacement.h"
#include "base/format.h"
#include "base/regular_file.h"
#include "base/shell.h"
#include "base/text.h"
#include "base/trusted_path.h"
#include "core/messages.h"
#include "core/run_end.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "discovery/selinux_support.h"
#include "install/directory_helpers.h"
#include "install/info_file.h"
#include "install/uninstall_script.h"
#include "queues/ppd_locations.h"

namespace {

constexpr const char* kStartedFromBin = "/opt/vyr/bin";
constexpr const char* kFilterLink = "/usr/bin/qixgsfilter";
// The SELinux type label always goes to the default location, wherever the package was installed.
constexpr const char* kLabelledFilter = "/opt/vyr/bin/qixgsfilter";
constexpr const char* kPpdArchive = "/var/tmp/OrvoPPDFiles%s.tar";
// Other users may add entries of their own to the installation directory, never rename root's.
constexpr mode_t kInstallDirMode = 01777;

// A symbolic link whose target does not exist.
bool isDanglingLink(const char* path) {
  struct stat info {};
  return lstat(path, &info) == 0 && S_ISLNK(info.st_mode) && stat(path, &info) != 0 && errno == ENOENT;
}

void debugPrint(const SetupState& state, const std::string& text) {
  if (state.debugLevel > 0) std::fputs(text.c_str(), stderr);
}

// Logs a text after turning its control characters, the line end included, into blanks.
void logBlanked(SetupState& state, std::string text) {
  blankControls(text);
  logLine(state, text);
}

// The package's PPD directory: the chosen one, or the CUPS model directory's "vyr" below it when the
// chosen one cannot be made.
void preparePpdInstallDir(SetupState& state) {
  std::string& dir = state.ppdInstallDir;
  if (dir.empty() || isDirectory(dir)) {
    logLine(state, format(msg::kPpdInstallDir, dir.c_str()));
    return;
  }
  if (mkdir(dir.c_str(), 0777) == 0) {
    if (chmod(dir.c_str(), 0755) == 0)
      logLine(state, format(msg::kChangingRights, dir.c_str(), 0755u));
    else
      logLine(state, format(msg::kCouldNotChmodDirectory, dir.c_str()));
    return;
  }
  logLine(state, format(msg::kCouldNotCreateDirectory, dir.c_str()));
  logLine(state, format(msg::kFallingBack, state.cupsModelDir.c_str()));
  dir = state.cupsModelDir + "/vyr";
  if (!isDirectory(dir) && makeDir(state, dir, 1, 0755) < 0) logLine(state, format(msg::kInstallDirNotOk, dir.c_str()));
}

// Makes (new installation) or tests the installation directory; ends the run when it is not one.
void checkInstallDir(SetupState& state) {
  int result;
  if (state.upgradeMode == 0) {
    if (state.installDir == kDefaultInstallDir) makePath(state, state.installDir, kInstallDirMode);
    result = makeDir(state, state.installDir, 1, kInstallDirMode);
  } else {
    result = makeDir(state, state.installDir, 0, 0);
  }
  keepOthersFromRenaming(state, state.installDir);
  if (result < 0) {
    logLine(state, format(msg::kInstallDirNotOk, state.installDir.c_str()));
    finishRun(state);
  }
}

void writeInformationFile(SetupState& state) {
  const char* dir = state.installDir.c_str();
  if (state.upgradeMode == 0) {
    writeInfoFile(state);
    logBlanked(state, format(msg::kCreatingConfig, dir));
  } else if (state.upgradeMode == 1) {
    upgradeInfoFile(state);
    logBlanked(state, format(msg::kCopyingOldConfig, dir));
  } else {
    logBlanked(state, format(msg::kSkipConfig, dir));
  }
}

// Where an item goes: `path` is the target as logged and tested, `word` the same target as it
// stands in the cp command. The parts that come from the manifest keep their shell meaning; the
// directories that come from the command line or the machine are quoted.
struct CopyTarget {
  std::string path;
  std::string word;
  bool ownPath = false;  // "." and "/": the target is the installed file itself
  bool marksDirectory = false;
  bool forcesCopy = false;  // "?": copied even when the copy switch is off, and turns it on
};

std::string ppdTargetDir(const SetupState& state) {
  if (!state.ppdInstallDir.empty() && isDirectory(state.ppdInstallDir)) return state.ppdInstallDir;
  if (!state.cupsModelDir.empty() && isDirectory(state.cupsModelDir)) return state.cupsModelDir;
  return "/tmp";
}

// The target of one item by its destination form; none for an empty or unknown destination.
std::optional<CopyTarget> targetOf(const SetupState& state, const ManifestItem& item) {
  const std::string& dest = item.destination;
  const std::string installWord = shellWord(state.installDir);
  CopyTarget target;
  if (dest == "." || dest == "/") {
    target.path = state.installDir + "/" + item.source;
    target.word = installWord + "/" + item.source;
    target.ownPath = true;
  } else if (dest.size() > 2 && startsWith(dest, "./")) {
    target.path = state.installDir + "/" + dest.substr(2);
    target.word = installWord + "/" + dest.substr(2);
    target.marksDirectory = true;
  } else if (dest.size() > 2 && dest.front() == '/') {
    target.path = dest;
    target.word = dest;
    target.marksDirectory = true;
  } else if (dest == "?") {
    target.path = ppdTargetDir(state);
    target.word = shellWord(target.path);
    target.forcesCopy = true;
  } else {
    return std::nullopt;
  }
  return target;
}

// The mode a plain cp as root under umask 022 gives a new copy of `source`.
mode_t plainCopyMode(const std::string& source) {
  struct stat info {};
  return stat(source.c_str(), &info) == 0 ? (info.st_mode & 0777 & ~mode_t{022}) : 0644;
}

// Copies one item with `cp` into a root-only staging directory made inside the target directory,
// then gives each copy root as owner and its mode and renames it into place: whatever stands at
// the target (a link, another user's file) is replaced, never written through. Each copy's source
// must be trusted too. True when the command worked and every copy was put in place; when the
// command failed, nothing of the item is.
bool copyThroughStaging(SetupState& state, const ManifestItem& item, const CopyTarget& target) {
  const std::string dir = target.ownPath ? directoryOf(target.path) : target.path;
  std::string why = distrustOf(dir);
  if (!why.empty()) {
    logLine(state, format(msg::kUntrustedSkipped, dir.c_str(), why.c_str()));
    return false;
  }
  std::string staging = dir + "/.orvo-staging.XXXXXX";
  if (mkdtemp(staging.data()) == nullptr) return false;
  std::string command = format("%s  %s %s", state.commands.cp.c_str(), item.source.c_str(), shellWord(staging).c_str());
  const bool copied = runShell(command) == 0;
  bool ok = copied;
  const std::string sourceDir = directoryOf(item.source);
  DirHandle listing(opendir(staging.c_str()));
  while (dirent* entry = listing ? readdir(listing.get()) : nullptr) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string made = staging + "/" + name;
    std::string source = (item.source.find('/') == std::string::npos ? "" : sourceDir + "/") + name;
    why = distrustOf(source);
    if (!why.empty()) logLine(state, format(msg::kUntrustedSkipped, source.c_str(), why.c_str()));
    mode_t mode = item.mode > 0 ? static_cast<mode_t>(item.mode) : plainCopyMode(source);
    std::string finalPath = target.ownPath ? target.path : dir + "/" + name;
    // After a failed command (a full disk) any copy may be incomplete: none is put in place.
    if (!copied || !why.empty() || settleOver(made, finalPath, mode, 0, 0) != 1) {
      unlink(made.c_str());
      ok = false;
    }
  }
  listing.reset();
  rmdir(staging.c_str());
  return ok;
}

void copyItems(SetupState& state, int itemCount, bool copySwitch) {
  bool directoryMark = false;
  int count = std::min(itemCount, static_cast<int>(state.manifest.size()));
  for (int i = 0; i < count; ++i) {
    const ManifestItem& item = state.manifest[i];
    debugPrint(state, format(msg::kCopyItemDebug, i, item.source.c_str(), item.destination.c_str(),
                             static_cast<unsigned>(item.mode)));
    std::optional<CopyTarget> target = targetOf(state, item);
    if (!target) {
      logLine(state, format(msg::kItemRejected, item.source.c_str(), item.destination.c_str()));
      continue;
    }
    if (target->forcesCopy) copySwitch = true;
    if (target->marksDirectory) directoryMark = true;
    // The installed file's own path is never made as a directory.
    if (directoryMark && !target->ownPath) makeDir(state, target->path, 1, 0755);

    std::string line = format(msg::kCopyingFile, item.source.c_str(), target->path.c_str());
    blankControls(line);

    if (!copySwitch) continue;
    // Names of one or two characters are place holders, except the netcat program "nc".
    if ((item.source.size() <= 2 && item.source != "nc") || target->path.size() <= 2) continue;

    if (!copyThroughStaging(state, item, *target)) {
      logLine(state, line + msg::kWrong);
      continue;
    }
    logLine(state, line);
    if (item.mode > 0) {
      std::string path = target->ownPath ? target->path : target->path + "/" + baseName(item);
      logLine(state, format(msg::kChangingRights, path.c_str(), static_cast<unsigned>(item.mode)));
    }
  }
}

}  // namespace

void goInstall(SetupState& state, int itemCount) {
  if (state.sourceDir == kStartedFromBin) state.sourceDir = kDefaultInstallDir;
  if (chdir(state.sourceDir.c_str()) != 0)
    logLine(state, format(msg::kCannotChdir, state.sourceDir.c_str()));
  else
    logLine(state, format(msg::kChdir, state.sourceDir.c_str()));

  // Installing over the package's own directory copies only the PPD items (see copyItems).
  bool copySwitch = state.sourceDir != state.installDir;
  if (copySwitch) logLine(state, format(msg::kSetupAfterRpm, state.sourceDir.c_str()));

  if (makeBaseDirs(state, state.installDir) != 1) {
    logLine(state, format(msg::kNoVyrDirectory, state.installDir.c_str()));
    logLine(state, msg::kSorryToQuit);
    finishRun(state);
  }

  preparePpdInstallDir(state);
  if (state.upgradeMode == 1) backupPPDs(state, state.ppdInstallDir);

  checkInstallDir(state);
  logBlanked(state, format(msg::kInstallDirectoryOk, state.installDir.c_str()));

  writeInformationFile(state);
  logBlanked(state, format(msg::kCreatingUninstall, state.installDir.c_str()));
  writeUninstallScript(state);
  logBlanked(state, msg::kCreatingStartScripts);

  std::string loopLine = format(msg::kStartingCopyLoop, itemCount);
  debugPrint(state, loopLine);
  logLine(state, loopLine);
  copyItems(state, itemCount, copySwitch);

  // A link whose target is gone (an earlier installation elsewhere, removed) is replaced; a
  // working link or a file there stays.
  if (isDanglingLink(kFilterLink)) unlink(kFilterLink);
  if (!pathExists(kFilterLink)) {
    std::string target = state.installDir + "/bin/qixgsfilter";
    std::string line = format(msg::kLinked, 1, kFilterLink, target.c_str());
    // Every job runs the filter: it is linked only when no other user can have put or changed it.
    std::string why = pathExists(target) ? distrustOf(target) : std::string();
    if (!why.empty()) logLine(state, format(msg::kUntrustedSkipped, target.c_str(), why.c_str()));
    if (!why.empty() || linkIfAbsent(state, target, kFilterLink) != 0) line += msg::kWrong;
    logLine(state, line);
  }
  chconPath(state, kFilterLink, "-u system_u");
  chconPath(state, kLabelledFilter, "-t bin_t");
}

namespace {

// Makes `dir` when missing and checks that no other user can change what root puts there: the
// run's scripts and programs go into these directories.
bool makeTrustedDir(SetupState& state, const std::string& dir, mode_t mode, const char* failure) {
  std::string why = makeDir(state, dir, 1, mode) < 0 ? std::string() : distrustOf(dir);
  if (!why.empty()) logLine(state, format(msg::kUntrustedSkipped, dir.c_str(), why.c_str()));
  if (makeDir(state, dir, 0, 0) < 0 || !why.empty()) {
    logLine(state, format(failure, dir.c_str()));
    return false;
  }
  return true;
}

}  // namespace

int makeBaseDirs(SetupState& state, const std::string& dir) {
  if (state.baseDirsMade) return 1;
  if (dir.empty()) return 0;
  std::string binDir = dir + "/bin";
  if (!makeTrustedDir(state, dir, kInstallDirMode, msg::kNoVyrDir) ||
      !makeTrustedDir(state, binDir, 0755, msg::kNoVyrBinDir) ||
      !makeTrustedDir(state, dir + "/etc", 0755, msg::kNoVyrEtcDir)) {
    return 0;
  }
  chconPath(state, binDir, "-R -u system_u");
  state.baseDirsMade = true;
  return 1;
}

int backupPPDs(SetupState& state, const std::string& dir) {
  if (!pathExists(dir)) {
    logLine(state, format(msg::kCannotAccessPpdDir, dir.c_str()));
    return -1;
  }
  std::string archive = format(kPpdArchive, msg::kPackageVersion);
  // tar writes a new file of root's that then replaces whatever stands at the archive's path in the
  // shared /var/tmp; "&&": nothing is archived unless the change into the PPD directory worked.
  std::string made = makeSiblingFile(archive);
  int status = made.empty() ? -1 : runShell(format("cd %s && tar cf %s *", shellWord(dir).c_str(), shellWord(made).c_str()));
  if (status == 0 && settleOver(made, archive, 0600, 0, 0) != 1) status = -1;
  if (status != 0 && !made.empty()) unlink(made.c_str());
  logLine(state, format(msg::kSavedPpdFiles, dir.c_str()));
  logLine(state, format(msg::kSavedTo, archive.c_str()));
  return status;
}

std::string baseName(const ManifestItem& item) {
  size_t slash = item.source.rfind('/');
  return slash == std::string::npos ? item.source : item.source.substr(slash + 1);
}

void blankControls(std::string& text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
}
