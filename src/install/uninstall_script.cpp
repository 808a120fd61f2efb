#include "install/uninstall_script.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/format.h"
#include "base/file_replacement.h"
#include "base/shell.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"

namespace {

// The script body up to the question; the delete lines follow it.
std::string scriptText(const SetupState& state) {
  const char* rm = state.commands.rm.c_str();
  std::string text = "#!/bin/sh\n#\n";
  text += format(msg::kScriptHeader, localTimeLine().c_str());  // the time text ends the line
  text +=
      "#\n"
      "#Delete a file\n"
      "#Syntax : delFile $fileName\n"
      "#\n"
      "delFile()\n"
      "{\n"
      "if [ -f \"$1\" ] ; then\n";
  text += format("  %s \"$1\"\n", rm);
  text +=
      "fi\n"
      "}\n"
      "#\n"
      "#Delete a directory\n"
      "#Syntax : delDir $dirName\n"
      "delDir()\n"
      "{\n"
      "if [ -d \"$1\" ] ; then\n";
  text += format("  %s -rf \"$1\"\n", rm);
  text +=
      "fi\n"
      "}\n"
      "#\n"
      "#\n"
      "# Get a yes or no answer from the user.  Argument 1 is prompt, 2 is default.\n"
      "#\n"
      "yorn()\n"
      "{\n"
      "        if [ \"$2\" = \"\" ] ; then\n"
      "                prompt=\"$1? \"\n"
      "        else\n"
      "                prompt=\"$1 [$2]? \"\n"
      "        fi\n"
      " \n"
      "        while true ; do\n"
      "                echo \"$prompt\"\n"
      "                read input\n"
      "                parsed=$input\n"
      " \n"
      "                if [ \"$parsed\" = \"\" ] ; then\n"
      "                        answer=$2\n"
      "                else\n"
      "                        answer=$input\n"
      "                fi\n"
      " \n"
      "                case $answer in\n";
  text += format("                %s\n", msg::kScriptYesPattern);
  text += "                        return 0 ; break ;;\n";
  text += format("                %s\n", msg::kScriptNoPattern);
  text +=
      "                        return 1 ; break ;;\n"
      "                *)\n";
  text += format("                        echo \"%s\"\n", msg::kScriptYesOrNo);
  text +=
      "                esac\n"
      "        done\n"
      "}\n"
      "#\n";
  text += format("echo \"%s\"\n", msg::kScriptTitle);
  text += format("yorn \"%s\" \"%s\"\n", msg::kScriptQuestion, msg::kScriptDefault);
  text +=
      "it_is=$?\n"
      "if [ $it_is -ne 0 ] ; then\n"
      "  exit\n"
      "fi\n";

  // Paths from the information file are data: an unusual character never reaches the shell
  // unquoted, while ordinary paths stay exactly as they are.
  const std::string& dir = state.installDir;
  auto line = [&text](const char* command, const std::string& path) {
    text += format("%s %s\n", command, shellWord(path).c_str());
  };
  line("delFile", dir + "/orvoInfo4.0");
  // The link first, while its target is still there for the script's "[ -f ]" test.
  line("delFile", "/usr/bin/qixgsfilter");
  line("delFile", dir + "/bin/qixgsfilter");
  line("delFile", dir + "/bin/nc");
  line("delFile", dir + "/bin/setup");
  line("delFile", dir + "/etc/orvo4.0.png");
  line("delFile", dir + "/etc/ORVOINST.CONF");
  line("delFile", dir + "/ORVOINST.CONF");
  line("delDir", state.ppdInstallDir + "/ppd");
  line("delDir", dir + "/etc");
  line("delDir", dir + "/bin");
  line("delDir", dir);
  return text;
}

}  // namespace

void writeUninstallScript(SetupState& state) {
  const std::string dir = state.installDir.empty() ? std::string("/opt/vyr") : state.installDir;
  const std::string path = dir + "/etc/UNINSTALLORVO";
  // The directory is writable by every user: the script is written anew and renamed into place.
  if (replaceFileWithText(path, scriptText(state), 0755, 0, 0) != 1) {
    logLine(state, format(msg::kCannotOpenFile, path.c_str()));
    return;
  }
  logLine(state, format(msg::kCreatedScript, path.c_str()));
}
