// Putting refreshed queues back on the PPDs saved before their refresh.
#pragma once

#include <string>
#include <vector>

struct SetupState;

// A queue PPD of the CUPS PPD directory and its backup.
struct RolledOutQueue {
  std::string name;
  std::string ppdPath;
  std::string backupPath;
  int version = -1;  // the package version marker of the queue's PPD, -1 without one
};

// The queues of the CUPS PPD directory that a rollback looks at, in name order: those whose PPD
// carries this package's version marker, and those that have a backup from a refresh.
std::vector<RolledOutQueue> findRolledOutQueues(SetupState& state);

// Puts the queue's backup back over its PPD (a complete copy renamed over it, owner, group and
// mode kept) when the PPD carries this package's marker and the backup is a readable PPD of an
// older version of the package. Logs the outcome and notes it in the run's result. 1 when the
// backup was put back, 0 when the queue was left alone, -1 when putting it back failed.
int rollBackQueue(SetupState& state, const RolledOutQueue& queue);
