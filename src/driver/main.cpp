// setup: installs, upgrades and removes the Orvo printer-driver package.
#include "driver/run_flow.h"
#include "driver/setup_state.h"

int main(int argc, char** argv) {
  SetupState state;
  runSetup(state, argc, argv);
}
