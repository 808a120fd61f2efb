#include "core/run_end.h"

#include <cstdlib>

#include "core/run_log.h"
#include "core/setup_state.h"

void finishRun(SetupState& state) {
  closeRunLog(state);
  std::exit(0);
}
