#include "driver/command_line.h"

#include <getopt.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/format.h"
#include "base/shell.h"
#include "core/messages.h"
#include "core/setup_state.h"

namespace {

// getopt keeps its position in globals; each pass starts it afresh (0 also resets GNU state).
void rewindOptions() { optind = 0; }

bool fits(const char* argument) { return std::strlen(argument) <= kTextFieldMax; }

[[noreturn]] void stopOnOverlongArgument(char option) {
  std::fputs(format(msg::kArgumentTooLong, option, static_cast<int>(kTextFieldMax)).c_str(), stderr);
  std::exit(0);
}

}  // namespace

int optionInteger(const char* text) {
  long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

void printUsage() {
  std::fputs(format(msg::kUsageVersion, msg::kPackageVersion).c_str(), stderr);
  std::fputs(msg::kUsageNotice1, stderr);
  std::fputs(msg::kUsageNotice2, stderr);
  std::fputs(msg::kUsageUsage, stderr);
  std::fputs(msg::kUsageSynopsis, stderr);
  std::fputs(msg::kUsageOptions, stderr);
  std::fputs(format(msg::kUsageDeinstall, msg::kPackageVersion).c_str(), stderr);
  std::fputs(msg::kUsageAnyDir, stderr);
  std::fputs(msg::kUsageHelp, stderr);
  std::fputs(msg::kUsageQuery, stderr);
  std::fputs(msg::kUsageSeLinux, stderr);
  std::fputs(msg::kUsageDebug, stderr);
  std::fputs(msg::kUsagePreview, stderr);
  std::fputs(msg::kUsageRollback, stderr);
  std::fputs(msg::kUsageKeepQueues, stderr);
  std::exit(0);
}

void parseFirstPass(SetupState& state, int argc, char** argv) {
  rewindOptions();
  char overlong = 0;  // the first -u or -i whose argument does not fit; -h anywhere still wins
  int option = 0;
  while ((option = getopt(argc, argv, kOptionString)) != -1) {
    switch (option) {
      case 'd': state.deinstallMode = 1; break;
      case 'k':  // a de-installation that keeps the queues
        state.deinstallMode = 1;
        state.keepQueuesMode = 1;
        break;
      case 'n': state.previewMode = 1; break;
      case 'r': state.rollbackMode = 1; break;
      case 'j': state.jsonOutput = 1; break;
      case 'f': state.allowAnyDir = optionInteger(optarg); break;
      case 'S': state.seLinuxMode = optionInteger(optarg); break;
      case 'h': printUsage();
      case 'u':
      case 'i':
        if (overlong == 0 && !fits(optarg)) overlong = static_cast<char>(option);
        break;
      default: break;  // the other pass's options; getopt has reported unknown ones
    }
  }
  if (overlong != 0) stopOnOverlongArgument(overlong);
  rewindOptions();
}

void parseSecondPass(SetupState& state, int argc, char** argv) {
  rewindOptions();
  int option = 0;
  while ((option = getopt(argc, argv, kOptionString)) != -1) {
    switch (option) {
      case 'D':
      case 'Z': state.debugLevel = optionInteger(optarg); break;
      case 'i': state.manifestName = optarg; break;
      case 'u': state.installDir = optarg; break;
      case 'q': {
        int value = optionInteger(optarg);
        state.queryMode = value < 0 ? 0 : value;
        break;
      }
      case 'm':
      case 'w': break;  // accepted for compatibility; they change nothing
      default: break;
    }
  }
  rewindOptions();
}

int seLinuxEnabled(const SetupState& state) {
  if (!state.commands.selinuxenabled) return 0;
  return runShell(shellWord(*state.commands.selinuxenabled)) == 0 ? 1 : 0;
}
