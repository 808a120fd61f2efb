#include "install/info_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/format.h"
#include "base/regular_file.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "queues/printer_list.h"

namespace {

// The file lies in installDir, or in /opt/vyr when no installation directory is set.
std::string infoDirectory(const SetupState& state) {
  return state.installDir.empty() ? std::string("/opt/vyr") : state.installDir;
}

// Mode and owner are set through the open file, so a link swapped in meanwhile is never followed.
void setModeAndOwner(const SetupState& state, std::FILE* file, mode_t mode) {
  fchmod(fileno(file), mode);
  // An owner that cannot be set leaves root's; the file is usable either way.
  [[maybe_unused]] int owned =
      fchown(fileno(file), static_cast<uid_t>(state.userId), static_cast<gid_t>(state.groupId));
}

}  // namespace

void writeInfoFile(SetupState& state) {
  const std::string path = infoDirectory(state) + "/orvoInfo4.0";
  // The directory is writable by every user: the file is never written through a planted link.
  FileHandle file;
  if (openRegularFileForWriting(path, 0600, file) != 1) {
    logLine(state, format(msg::kCannotOpenFile, path.c_str()));
    return;
  }
  // Block markers are literal text: the file holds two percent signs before each QIX.
  std::string text = "#\n# Orvo 4.0 Information File\n#\n%%QIXBLOCK_GENERAL_BEGIN\n";
  text += format("USRDIR          %s\n", state.installDir.c_str());
  text +=
      "HOMEDIR         $HOME\n"
      "TMPDIR          /tmp\n"
      "%%QIXBLOCK_GENERAL_END\n"
      "#\n#\n"
      "%%QIXBLOCK_PRINTERS_BEGIN\nDefault\n%%QIXBLOCK_PRINTERS_END\n"
      "#\n#\n"
      "%%QIXBLOCK_USERS_BEGIN\nroot\n%%QIXBLOCK_USERS_END\n"
      "#\n#\n"
      "%%QIXBLOCK_PRNT_BEGIN Default\nroot\n%%QIXBLOCK_PRNT_END Default\n"
      "#\n#\n"
      "%%QIXEND\n";
  std::fwrite(text.data(), 1, text.size(), file.get());
  setModeAndOwner(state, file.get(), 0755);
}

void upgradeInfoFile(SetupState& state) {
  const std::string dir = infoDirectory(state);
  const std::string oldPath = dir + "/orvoInfo2.0";
  const std::string newPath = dir + "/orvoInfo4.0";
  FileHandle oldFile;
  if (pathExists(oldPath)) openRegularFile(oldPath, kInfoFileMax, oldFile);
  if (!oldFile) {
    logLine(state, format(msg::kCannotOpenFile, oldPath.c_str()));
    writeInfoFile(state);
    return;
  }
  FileHandle newFile;
  if (openRegularFileForWriting(newPath, 0644, newFile) != 1) {
    logLine(state, format(msg::kCannotOpenFile, newPath.c_str()));
    oldFile.close();
    writeInfoFile(state);
    return;
  }
  bool titleReplaced = false;
  std::string piece;
  while (readPiece(oldFile.get(), piece)) {
    if (!titleReplaced && contains(piece, "Information File")) {
      piece = "# Orvo 3.0 Information File\n";
      titleReplaced = true;
    }
    std::fwrite(piece.data(), 1, piece.size(), newFile.get());
  }
  oldFile.close();
  newFile.close();
  logLine(state, msg::kCopiedInfoFile);
}
