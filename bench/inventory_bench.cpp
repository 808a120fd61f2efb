// inventory_bench: times the printer inventory of a CUPS tree (getInstalledPrinters with its two
// reports) against a package PPD directory, and counts the package files it opens.
//   inventory_bench CUPS_BASE_DIR PACKAGE_PPD_DIR LOG_FILE
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "core/setup_state.h"
#include "queues/printer_inventory.h"

namespace {

int countFiles(const std::string& dir) {
  int files = 0;
  if (DIR* listing = opendir(dir.c_str())) {
    while (const dirent* item = readdir(listing)) {
      std::string name = item->d_name;
      if (name != "." && name != "..") ++files;
    }
    closedir(listing);
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: inventory_bench CUPS_BASE_DIR PACKAGE_PPD_DIR LOG_FILE\n", stderr);
    return 2;
  }
  SetupState state;
  state.cupsBaseDir = argv[1];
  state.ppdInstallDir = argv[2];
  state.logFile = std::fopen(argv[3], "w");
  if (state.logFile == nullptr) {
    std::perror(argv[3]);
    return 1;
  }
  state.logIsOpen = 1;

  auto start = std::chrono::steady_clock::now();
  int count = 0;
  getInstalledPrinters(state, state.printers, count);
  std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::fclose(state.logFile);

  int queuePpds = countFiles(cupsPpdDirectory(state));
  int packageFiles = countFiles(state.ppdInstallDir);
  int opened = state.newPpdIndex.filesOpened;
  std::printf("queue PPDs: %d\nqueues taken: %d\npackage PPDs: %d\npackage files opened: %d\nwall time: %.3f s\n",
              queuePpds, count, packageFiles, opened, wall.count());
  if (opened > packageFiles) {
    std::printf("FAIL: a package PPD was opened more than once\n");
    return 1;
  }
  return 0;
}
