#include "uninstall/deinstallation.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/format.h"
#include "base/regular_file.h"
#include "base/shell.h"
#include "base/text.h"
#include "base/trusted_path.h"
#include "core/messages.h"
#include "core/prompts.h"
#include "core/run_end.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "install/existing_installation.h"
#include "install/install_dir_check.h"
#include "queues/printer_list.h"

namespace {

// A package file: a path below installDir (the suffix is appended to it) or an absolute one.
struct PackageFile {
  bool inInstallDir;
  const char* path;
};

// Row 10 repeats row 4: the filter link is tried again after the filter itself is gone.
constexpr PackageFile kPackageFiles[] = {
    {true, "/orvo"},
    {true, "/orvoInfo4.0"},
    {true, "/bin/qixgsfilter"},
    {false, "/usr/bin/qixgsfilter"},
    {true, "/etc/UNINSTALLORVO"},
    {true, "/bin/setup"},
    {true, "/etc/orvo4.0.png"},
    {true, "/ORVOINST.CONF"},
    {true, "/etc/ORVOINST.CONF"},
    {false, "/usr/bin/qixgsfilter"},
    {true, "/bin/nc"},
};

constexpr const char* kPackageDirs[] = {"/Default", "/ppd", "/etc", "/bin"};

constexpr const char* kFilterLink = "/usr/bin/qixgsfilter";

// lstat: the entry itself, so a dangling link still counts as present.
bool entryExists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

int removeTreeAt(int parentFd, const char* name);

// Empties the directory open as dirFd (taking ownership of the descriptor). Entries are named
// relative to that descriptor, so a directory swapped for a link meanwhile is never followed.
void removeEntries(int dirFd) {
  DirHandle dir(fdopendir(dirFd));
  if (!dir) {
    close(dirFd);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  int fd = dirfd(dir.get());
  for (const std::string& name : names) {
    struct stat info {};
    if (fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(info.st_mode))
      removeTreeAt(fd, name.c_str());
    else if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode))
      unlinkat(fd, name.c_str(), 0);
    // Devices, pipes and sockets stay; the directory then cannot be removed.
  }
}

int removeTreeAt(int parentFd, const char* name) {
  int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  removeEntries(fd);
  return unlinkat(parentFd, name, AT_REMOVEDIR) == 0 ? 0 : -1;
}

// Deletes dir/relative, entering every directory on the way without following a link, so a
// sub-directory of the installation swapped for a link (bin -> /usr/bin) leads nowhere.
bool unlinkInside(const std::string& dir, std::string relative) {
  Descriptor current(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  for (size_t slash = relative.find('/'); current.get() >= 0 && slash != std::string::npos;
       slash = relative.find('/')) {
    current = Descriptor(
        openat(current.get(), relative.substr(0, slash).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    relative.erase(0, slash + 1);
  }
  struct stat info {};
  return current.get() >= 0 && fstatat(current.get(), relative.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
         unlinkat(current.get(), relative.c_str(), 0) == 0;
}

void logCommand(SetupState& state, const std::string& command) {
  logLine(state, format(msg::kExecutingCommand, command.c_str()));
}

// The links the system keeps in /dev, whatever they point to.
bool isSystemDeviceLink(const std::string& name, const std::string& path) {
  for (const char* kept : {"null", "fd", "stdin", "stdout", "stderr", "core"}) {
    if (name == kept) return true;
  }
  char target[PATH_MAX];
  ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
  return length > 0 && startsWith(std::string_view(target, static_cast<size_t>(length)), "/proc");
}

// /dev/<queue> goes only when it is a plain file or a link left by an old spooler: never a
// device node, a directory, or one of the system's own links.
void deleteDeviceEntry(SetupState& state, const std::string& name) {
  std::string path = "/dev/" + name;
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return;
  if ((S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) && !isSystemDeviceLink(name, path))
    unlink(path.c_str());
  else
    logLine(state, format(msg::kDeviceEntryKept, path.c_str()));
}

// The queue's model file is kept as <file>.old; when it cannot be renamed it is deleted.
void retireModelFile(SetupState& state, const std::string& name) {
  std::string model;
  if (state.schedulerKind == kSchedulerLp) {
    model = format("/usr/spool/lp/model/%s", name.c_str());
  } else if (state.schedulerKind == kSchedulerCups && state.cupsDataDir) {
    model = format("%s/model/%s", state.cupsDataDir->c_str(), name.c_str());
  } else {
    return;  // no model files for an unknown print system, nor without a CUPS data directory
  }
  if (!pathExists(model)) return;
  std::rename(model.c_str(), (model + ".old").c_str());
  if (pathExists(model)) unlink(model.c_str());
}

// A symbolic link whose text is exactly target.
bool isLinkTo(const std::string& path, const std::string& target) {
  char text[PATH_MAX];
  ssize_t length = readlink(path.c_str(), text, sizeof text);
  return length > 0 && std::string(text, static_cast<size_t>(length)) == target;
}

void logDeleted(SetupState& state, const char* templ, const std::string& path, bool deleted) {
  logLine(state, format(templ, path.c_str()) + (deleted ? msg::kOk : msg::kNotPossible));
}

bool sameDirectory(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

// The package's PPDs (named as in installDir/ppd) copied into ppdInstallDir; files of other names
// stay, and so does the directory when it still holds any.
void deletePpdCopies(SetupState& state) {
  const std::string& target = state.ppdInstallDir;
  const std::string source = state.installDir + "/ppd";
  if (target.empty() || sameDirectory(target, source)) return;  // the package's own files
  // The names come from the package's own directory, never from one another user made.
  std::string why = distrustOf(source);
  if (!why.empty()) {
    if (pathExists(source)) logLine(state, format(msg::kUntrustedSkipped, source.c_str(), why.c_str()));
    return;
  }
  DirHandle sources(opendir(source.c_str()));
  Descriptor targetFd(open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!sources || targetFd.get() < 0) return;
  int deleted = 0;
  while (const dirent* entry = readdir(sources.get())) {
    struct stat info {};
    if (entry->d_name[0] == '.' || fstatat(targetFd.get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if ((S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) && unlinkat(targetFd.get(), entry->d_name, 0) == 0) ++deleted;
  }
  logLine(state, format(msg::kDeletedPpdCopies, deleted, target.c_str()));
  if (rmdir(target.c_str()) != 0) return;
  logDeleted(state, msg::kDeletingDirectory, target, true);
  const std::string modelLink = state.cupsModelDir + "/vyr";
  if (isLinkTo(modelLink, target)) logDeleted(state, msg::kDeletingFile, modelLink, unlink(modelLink.c_str()) == 0);
}

}  // namespace

bool holdsInstallation(const std::string& dir) {
  for (const char* name : {"/orvoInfo4.0", "/orvoInfo2.0"}) {
    struct stat info {};
    std::string path = dir + name;
    if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && distrustOf(path).empty()) return true;
  }
  return false;
}

int removeTree(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return -1;
  if (S_ISLNK(info.st_mode)) return unlink(path.c_str()) == 0 ? 0 : -1;
  int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  removeEntries(fd);
  return rmdir(path.c_str()) == 0 ? 0 : -1;
}

int deletePrinterQueue(SetupState& state, const std::string& name) {
  int kind = state.schedulerKind;
  if (kind != kSchedulerCups && kind != kSchedulerLp && kind != kSchedulerUnknown) return 0;
  if (!isUsableQueueName(name)) return 0;

  std::string quoted = shellWord(name);
  std::string remove = format("%s -x%s 2>/dev/null", shellWord(state.commands.lpadmin).c_str(), quoted.c_str());
  logCommand(state, remove);
  if (runShell(remove) != 0) {
    std::string query = format("%s -p%s -l > /dev/null", shellWord(state.commands.lpstat).c_str(), quoted.c_str());
    logCommand(state, query);
    runShell(query);
    sleep(1);
    logCommand(state, remove);
    runShell(remove);  // a queue refused twice is left to the administrator
  }

  deleteDeviceEntry(state, name);
  retireModelFile(state, name);
  return 1;
}

int deletePrinterDir(SetupState& state, const std::string& name) {
  if (!isUsableQueueName(name)) return -1;
  std::string dir = format("%s/%s", state.installDir.c_str(), name.c_str());
  if (!entryExists(dir)) return -1;
  int result = removeTree(dir);
  std::string script = dir + ".sh";
  if (entryExists(script)) unlink(script.c_str());
  return result;
}

void deletePrinterQueues(SetupState& state) {
  // The head holds the block's first line, "Default" in a file this package wrote.
  for (size_t i = 1; i < state.printers.ringSize(); ++i) {
    const std::string name = state.printers.at(i).queueName;
    if (name.empty() || name == "Default") continue;
    if (!isUsableQueueName(name)) {
      logLine(state, format(msg::kQueueNameSkipped, visibleName(name).c_str()));
      continue;
    }
    deletePrinterQueue(state, name);
    deletePrinterDir(state, name);
    logLine(state, format(msg::kDeletingPrinter, name.c_str()));
    state.result.addQueue(name).outcome = "deleted";
  }
}

int deletePackageFiles(SetupState& state) {
  if (!isUsableInstallDir(state.installDir) || !holdsInstallation(state.installDir) ||
      chdir(state.installDir.c_str()) != 0) {
    logLine(state, format(msg::kInstallDirNotOk, state.installDir.c_str()));
    return 0;
  }
  for (const PackageFile& file : kPackageFiles) {
    std::string path = file.inInstallDir ? state.installDir + file.path : std::string(file.path);
    bool deleted = file.inInstallDir ? unlinkInside(state.installDir, file.path + 1)
                                     : entryExists(path) && unlink(path.c_str()) == 0;
    logLine(state, format(msg::kDeletingFile, path.c_str()) + (deleted ? msg::kOk : msg::kNotPossible));
  }
  for (const char* suffix : kPackageDirs) {
    std::string path = state.installDir + suffix;
    bool deleted = entryExists(path) && removeTree(path) == 0;
    logLine(state, format(msg::kDeletingDirectory, path.c_str()) + (deleted ? msg::kOk : msg::kNotPossible));
  }
  return 1;
}

int deleteSetupFiles(SetupState& state) {
  const std::string& dir = state.installDir;
  if (!isUsableInstallDir(dir) || !holdsInstallation(dir)) {
    logLine(state, format(msg::kInstallDirNotOk, dir.c_str()));
    return 0;
  }
  for (const char* file : {"orvoInfo4.0", "etc/UNINSTALLORVO"}) {
    logDeleted(state, msg::kDeletingFile, dir + "/" + file, unlinkInside(dir, file));
  }
  // Only the link this installation made; a filter of someone else's there stays.
  if (isLinkTo(kFilterLink, dir + "/bin/qixgsfilter")) {
    logDeleted(state, msg::kDeletingFile, kFilterLink, unlink(kFilterLink) == 0);
  }
  deletePpdCopies(state);
  return 1;
}
