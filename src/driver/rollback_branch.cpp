#include "driver/rollback_branch.h"

#include <cstdio>
#include <vector>

#include "base/format.h"
#include "core/messages.h"
#include "core/prompts.h"
#include "core/run_end.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "core/progress_line.h"
#include "queues/scheduler_restart.h"
#include "queues/served_check.h"
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
  const std::vector<RolledOutQueue> queues = findRolledOutQueues(state);
  int number = 0;
  for (const RolledOutQueue& queue : queues) {
    ++number;
    if (ask != 0) {
      clearProgress(state);
      AnswerKind answer = askYesNoAll(format(msg::kAskRollbackPrinter, queue.name.c_str()));
      if (answer == kAnswerBreak) break;
      if (answer == kAnswerNo) continue;
      if (answer == kAnswerAll) ask = 0;
    }
    showProgress(state, format(msg::kProgressQueue, number, static_cast<int>(queues.size()), queue.name.c_str()));
    if (rollBackQueue(state, queue) == 1) ++restored;
  }
  clearProgress(state);
  logLine(state, format(msg::kRolledBackCount, restored));
  if (restored > 0) restartScheduler(state);
  checkServedQueues(state);
  finishRun(state);
}
