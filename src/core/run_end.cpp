#include "core/run_end.h"

#include <cstdlib>

#include "core/run_log.h"
#include "core/run_result.h"
#include "core/setup_state.h"

void finishRun(SetupState& state) {
  if (state.previewMode == 0) writeRunResult(state.result, state.logPath, state.installDir);
  closeRunLog(state);
  std::exit(0);
}
