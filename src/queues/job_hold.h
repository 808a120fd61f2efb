// Keeping jobs from starting while the scheduler is restarted, and letting them go afterwards.
// What the scheduler does (CUPS 2.4): Hold-New-Jobs holds only jobs submitted afterwards, each
// created held ("job-held-on-create") and not let go by Release-Held-New-Jobs; jobs already pending
// still start, and so does a job sent with Create-Job and Send-Document (as lp sends files): the
// last document lets it go; the holding flag does not survive a restart, though its "hold-new-jobs"
// reason does. So every destination holds new jobs, every pending job is held by its id, again at
// each look while setup waits, every job held on create is noted by its id, and each is released
// by its id. A job that starts all the same is waited for like any other: none is interrupted.
#pragma once

#include "queues/hold_record.h"
#include "queues/ipp_client.h"

struct SetupState;

class JobHold {
 public:
  // Makes every printer and class hold new jobs and holds every pending job, each noted in the
  // record before it is changed. False when the scheduler does not answer (nothing is held).
  bool begin(SetupState& state, IppClient& ipp);
  // How many jobs the scheduler is printing (-1 when it does not answer); jobs pending or held on
  // create since the last look are held and noted in the record.
  int printing(SetupState& state, IppClient& ipp);
  // Lets go of everything in the record: destinations back to what they did before (one that held
  // new jobs before holds them again), every noted job released; then removes the record. False
  // when the scheduler does not answer (the record stays for the next run).
  bool release(IppClient& ipp);
  // The jobs noted: held by setup (pending ones) and held on create.
  int keptJobs() const { return static_cast<int>(record_.jobs.size()); }

  // Takes over the record an earlier run left behind.
  void adopt(const HoldRecord& record) { record_ = record; }

 private:
  void note(SetupState& state);
  void holdPending(SetupState& state, IppClient& ipp, const std::vector<SchedulerJob>& jobs);
  void noteHeldOnCreate(SetupState& state, const std::vector<SchedulerJob>& jobs);
  HoldRecord record_;
};

// Undoes what a run killed during its wait left held (the record under /var/lib) and logs it;
// nothing when there is no record.
void restoreHeldJobs(SetupState& state);
