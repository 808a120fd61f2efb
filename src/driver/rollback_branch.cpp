#include "driver/rollback_branch.h"

#include <cstdio>
#include <vector>

#include "base/format.h"
#include "core/messages.h"
#include "core/prompts.h"
#include "core/run_end.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "queues/cups_restart.h"
#include "queues/queue_rollback.h"

namespace {

[[noreturn]] void stop(SetupState& state, const char* text) {
  std::fputs(text, stderr);
  logLine(state, text);
  abandonResult(state.result, text);
  finishRun(state);
}

}  // namespace

void rollbackBranch(SetupState& state) {
  if (state.notCups == 1) stop(state, msg::kNoCupsDaemon);
  if (askYesNo(msg::kAskRollback) != kAnswerYes) stop(state, msg::kAbandonedByUser);

  int ask = state.queryMode;
  int restored = 0;
  for (const RolledOutQueue& queue : findRolledOutQueues(state)) {
    if (ask != 0) {
      AnswerKind answer = askYesNoAll(format(msg::kAskRollbackPrinter, queue.name.c_str()));
      if (answer == kAnswerBreak) break;
      if (answer == kAnswerNo) continue;
      if (answer == kAnswerAll) ask = 0;
    }
    if (rollBackQueue(state, queue) == 1) ++restored;
  }
  logLine(state, format(msg::kRolledBackCount, restored));
  if (restored > 0) restartCups(state);
  finishRun(state);
}
