// The record of what setup holds on the scheduler while it waits to restart it: the destinations
// it made hold new jobs and the jobs it kept from starting. It is written before each change, so a
// run killed during the wait leaves enough behind for the next run to undo it (held jobs survive a
// reboot, so the record lives under /var/lib, in a directory only root can enter).
#pragma once

#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kHoldRecordDir = "/var/lib/orvo-setup";
inline constexpr const char* kHoldRecordName = "held-jobs";

struct HeldDestination {
  std::string uri;
  bool wasHolding = false;  // it held new jobs before setup came: it goes on holding them
};

struct HoldRecord {
  std::vector<HeldDestination> destinations;
  std::vector<int> jobs;
  bool empty() const { return destinations.empty() && jobs.empty(); }
};

// The record as text, one "destination <0|1> <uri>" or "job <id>" a line, and back. Lines that
// are not understood are left out.
std::string holdRecordText(const HoldRecord& record);
HoldRecord parseHoldRecord(const std::string& text);

// Replaces the record as a whole (a sibling written, fsync'ed and renamed). The directory is made
// 0700 when missing and used only when it is a real directory (never a link) of this user that
// nobody else can enter. 1 when written.
int writeHoldRecord(const HoldRecord& record, const std::string& dir = kHoldRecordDir);
// The record an earlier run left, none when there is none (or it is not a regular file of this
// user in such a directory).
std::optional<HoldRecord> readHoldRecord(const std::string& dir = kHoldRecordDir);
void removeHoldRecord(const std::string& dir = kHoldRecordDir);
