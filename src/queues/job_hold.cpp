#include "queues/job_hold.h"

#include <algorithm>

#include "base/format.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"

namespace {

bool noted(const HoldRecord& record, int id) {
  return std::find(record.jobs.begin(), record.jobs.end(), id) != record.jobs.end();
}

}  // namespace

void JobHold::note(SetupState& state) {
  if (writeHoldRecord(record_) != 1) logLine(state, format(msg::kHoldRecordNotWritten, kHoldRecordDir, kHoldRecordName));
}

// Jobs the scheduler created held because their destination holds new jobs; a job its user held
// keeps its own job-hold-until, so "no-hold" tells them apart.
void JobHold::noteHeldOnCreate(SetupState& state, const std::vector<SchedulerJob>& jobs) {
  bool added = false;
  for (const SchedulerJob& job : jobs) {
    if (job.state != kJobHeld || !job.heldOnCreate || job.holdUntil != "no-hold" || noted(record_, job.id)) continue;
    record_.jobs.push_back(job.id);
    added = true;
  }
  if (added) note(state);
}

bool JobHold::begin(SetupState& state, IppClient& ipp) {
  std::vector<SchedulerQueue> queues;
  if (!ipp.queues(queues)) return false;
  for (const SchedulerQueue& queue : queues) record_.destinations.push_back({queue.uri, queue.holdingNewJobs});
  note(state);
  for (const SchedulerQueue& queue : queues)
    if (!queue.holdingNewJobs) ipp.holdNewJobs(queue.uri, true);

  std::vector<SchedulerJob> jobs;
  ipp.jobs(jobs);
  holdPending(state, ipp, jobs);
  noteHeldOnCreate(state, jobs);
  return true;
}

// Every pending job is held by its id, noted first.
void JobHold::holdPending(SetupState& state, IppClient& ipp, const std::vector<SchedulerJob>& jobs) {
  std::vector<int> pending;
  for (const SchedulerJob& job : jobs)
    if (job.state == kJobPending && !noted(record_, job.id)) pending.push_back(job.id);
  if (pending.empty()) return;
  record_.jobs.insert(record_.jobs.end(), pending.begin(), pending.end());
  note(state);
  for (int id : pending) {
    // Holding a job that has just started would stop it: each is looked at right before.
    if (ipp.jobState(id) != kJobPending || !ipp.holdJob(id, true))
      record_.jobs.erase(std::find(record_.jobs.begin(), record_.jobs.end(), id));
  }
}

int JobHold::printing(SetupState& state, IppClient& ipp) {
  std::vector<SchedulerJob> jobs;
  if (!ipp.jobs(jobs)) return -1;
  holdPending(state, ipp, jobs);
  noteHeldOnCreate(state, jobs);
  return static_cast<int>(std::count_if(jobs.begin(), jobs.end(),
                                        [](const SchedulerJob& job) { return job.state == kJobProcessing; }));
}

bool JobHold::release(IppClient& ipp) {
  std::vector<SchedulerJob> jobs;
  if (!ipp.jobs(jobs)) return false;
  // Jobs created held since the last look (while the flag still stands, before it is lifted).
  for (const SchedulerJob& job : jobs)
    if (job.state == kJobHeld && job.heldOnCreate && job.holdUntil == "no-hold" && !noted(record_, job.id))
      record_.jobs.push_back(job.id);
  for (const HeldDestination& destination : record_.destinations) ipp.holdNewJobs(destination.uri, destination.wasHolding);
  for (int id : record_.jobs) ipp.holdJob(id, false);
  removeHoldRecord();
  return true;
}

void restoreHeldJobs(SetupState& state) {
  std::optional<HoldRecord> record = readHoldRecord();
  if (!record) return;
  const std::string path = format("%s/%s", kHoldRecordDir, kHoldRecordName);
  IppClient ipp;
  JobHold hold;
  hold.adopt(*record);
  if (!ipp.connected() || !hold.release(ipp)) {
    logLine(state, format(msg::kHoldNotRestored, path.c_str()));
    return;
  }
  logLine(state, format(msg::kHoldRestored, static_cast<int>(record->destinations.size()), hold.keptJobs(),
                        path.c_str()));
}
