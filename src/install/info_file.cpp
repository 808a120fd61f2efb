#include "install/info_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/format.h"
#include "base/file_replacement.h"
#include "base/trusted_path.h"
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

}  // namespace

void writeInfoFile(SetupState& state) {
  const std::string path = infoDirectory(state) + "/orvoInfo4.0";
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
  // The directory is writable by every user: the file is written anew and renamed into place.
  if (replaceFileWithText(path, text, 0755, 0, 0) != 1) logLine(state, format(msg::kCannotOpenFile, path.c_str()));
}

void upgradeInfoFile(SetupState& state) {
  const std::string dir = infoDirectory(state);
  const std::string oldPath = dir + "/orvoInfo2.0";
  const std::string newPath = dir + "/orvoInfo4.0";
  FileHandle oldFile;
  std::string why;
  if (openTrustedFile(oldPath, kInfoFileMax, oldFile, why) != 1) {
    if (!why.empty()) logLine(state, format(msg::kUntrustedSkipped, oldPath.c_str(), why.c_str()));
    logLine(state, format(msg::kCannotOpenFile, oldPath.c_str()));
    writeInfoFile(state);
    return;
  }
  bool titleReplaced = false;
  std::string text;
  std::string piece;
  while (readPiece(oldFile.get(), piece)) {
    if (!titleReplaced && contains(piece, "Information File")) {
      piece = "# Orvo 3.0 Information File\n";
      titleReplaced = true;
    }
    text += piece;
  }
  oldFile.close();
  if (replaceFileWithText(newPath, text, 0644, 0, 0) != 1) {
    logLine(state, format(msg::kCannotOpenFile, newPath.c_str()));
    writeInfoFile(state);
    return;
  }
  logLine(state, msg::kCopiedInfoFile);
}
