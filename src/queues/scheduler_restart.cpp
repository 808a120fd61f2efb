#include "queues/scheduler_restart.h"

#include <time.h>

#include <algorithm>
#include <cstdlib>

#include "base/format.h"
#include "core/messages.h"
#include "core/progress_line.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "queues/cups_restart.h"
#include "queues/job_hold.h"

namespace {

constexpr int kDefaultWaitSeconds = 300;
constexpr long kPollMs = 200;
constexpr int kSchedulerBackSeconds = 10;  // as long as any wait for the local scheduler

void sleepMs(long ms) {
  timespec pause{ms / 1000, (ms % 1000) * 1000000};
  nanosleep(&pause, nullptr);
}

double now() {
  timespec at{};
  clock_gettime(CLOCK_MONOTONIC, &at);
  return static_cast<double>(at.tv_sec) + static_cast<double>(at.tv_nsec) / 1e9;
}

// Waits until no job prints; false when one still prints at the bound.
bool waitForIdle(SetupState& state, IppClient& ipp, JobHold& hold) {
  const int bound = restartWaitBound();
  const double start = now();
  int printing = hold.printing(state, ipp);
  if (printing <= 0) return true;
  logLine(state, format(msg::kRestartWaits, printing, bound));
  while (printing > 0) {
    if (now() - start >= bound) {
      clearProgress(state);
      logLine(state, format(msg::kRestartPending, printing, bound));
      return false;
    }
    showProgress(state, format(msg::kProgressWaiting, printing));
    sleepMs(kPollMs);
    printing = hold.printing(state, ipp);
  }
  clearProgress(state);
  logLine(state, msg::kRestartWaitOver);
  return true;
}

}  // namespace

int restartWaitBound() {
  const char* text = std::getenv("ORVORESTARTWAIT");
  char* end = nullptr;
  long value = text ? std::strtol(text, &end, 10) : -1;
  bool usable = text && *text && end && *end == '\0' && value >= 0 && value <= 86400;
  return usable ? static_cast<int>(value) : kDefaultWaitSeconds;
}

int jobsPrintingNow() {
  IppClient ipp;
  std::vector<SchedulerJob> jobs;
  if (!ipp.connected() || !ipp.jobs(jobs)) return 0;
  return static_cast<int>(
      std::count_if(jobs.begin(), jobs.end(), [](const SchedulerJob& job) { return job.state == kJobProcessing; }));
}

int restartScheduler(SetupState& state) {
  JobHold hold;
  bool holding = false;
  {
    IppClient ipp;
    holding = ipp.connected() && hold.begin(state, ipp);
    if (holding && hold.keptJobs() > 0) logLine(state, format(msg::kJobsKept, hold.keptJobs()));
    if (holding && !waitForIdle(state, ipp, hold)) {
      hold.release(ipp);
      state.result.restartPending = true;
      return -1;
    }
  }
  int status = restartCups(state);
  if (!holding) return status;

  // The restarted scheduler needs a moment before it answers.
  const double start = now();
  for (;;) {
    IppClient ipp(1000);
    if (ipp.connected() && hold.release(ipp)) {
      if (hold.keptJobs() > 0) logLine(state, format(msg::kJobsReleased, hold.keptJobs()));
      return status;
    }
    if (now() - start >= kSchedulerBackSeconds) break;
    sleepMs(kPollMs);
  }
  logLine(state, format(msg::kHoldNotRestored, format("%s/%s", kHoldRecordDir, kHoldRecordName).c_str()));
  return status;
}
