// A connection to the local CUPS scheduler and the few IPP operations setup sends it. Every call is
// bounded: a scheduler that accepts and never answers counts as not answering.
#pragma once

#include <memory>
#include <string>
#include <vector>

// A destination as the scheduler lists it (printers and classes alike).
struct SchedulerQueue {
  std::string name;
  std::string uri;  // printer-uri-supported
  bool holdingNewJobs = false;
};

// A job that is not completed.
struct SchedulerJob {
  int id = 0;
  int state = 0;  // IPP job-state: 3 pending, 4 held, 5 processing, 6 stopped
  std::string holdUntil;
  bool heldOnCreate = false;  // "job-held-on-create" among its reasons
};

inline constexpr int kJobPending = 3;
inline constexpr int kJobHeld = 4;
inline constexpr int kJobProcessing = 5;

struct _http_s;

class IppClient {
 public:
  // Connects to the scheduler libcups names (its local socket or localhost:631), waiting at most
  // `timeoutMs` for the connection and for each answer.
  explicit IppClient(int timeoutMs = 10000);
  ~IppClient();
  IppClient(const IppClient&) = delete;
  IppClient& operator=(const IppClient&) = delete;
  bool connected() const { return http_ != nullptr; }

  // The scheduler's printers and classes; false when it does not answer.
  bool queues(std::vector<SchedulerQueue>& out);
  // Every job that is not completed; false when the scheduler does not answer.
  bool jobs(std::vector<SchedulerJob>& out);
  // Get-Job-Attributes: the job's state, or -1.
  int jobState(int id);
  // Hold-New-Jobs (hold) or Release-Held-New-Jobs on a destination URI; true when done.
  bool holdNewJobs(const std::string& uri, bool hold);
  // Hold-Job (hold, indefinitely) or Release-Job; true when done.
  bool holdJob(int id, bool hold);
  // Get-Printer-Attributes of a queue: printer-make-and-model and media-default; false when the
  // scheduler does not answer or knows no such queue.
  bool servedModel(const std::string& queue, std::string& makeAndModel, std::string& mediaDefault);

 private:
  _http_s* http_ = nullptr;
};
