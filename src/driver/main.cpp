// setup: installs, upgrades and removes the Orvo printer-driver package.
#include "core/setup_state.h"
#include "driver/run_flow.h"

int main(int argc, char** argv) {
  SetupState state;
  runSetup(state, argc, argv);
}
