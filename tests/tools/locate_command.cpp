// Prints what the command locator answers, so scenarios can show it on an arranged machine:
//   locate_command NAME                         findCommand
//   locate_command NAME CUPS_BIN_DIR [BASE_DIR]  findCupsCommand with those CUPS directories
#include <cstdio>

#include "core/setup_state.h"
#include "discovery/command_locator.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: locate_command NAME [CUPS_BIN_DIR [CUPS_BASE_DIR]]\n");
    return 2;
  }
  std::optional<std::string> found;
  if (argc == 2) {
    found = findCommand(argv[1]);
  } else {
    SetupState state;
    state.cupsBinDir = argv[2];
    if (argc == 4) state.cupsBaseDir = argv[3];
    found = findCupsCommand(state, argv[1]);
  }
  std::printf("%s\n", found ? found->c_str() : "(none)");
  return 0;
}
