// After the run: does the scheduler serve each queue whose PPD the run replaced as the new PPD
// says? It is asked over IPP (Get-Printer-Attributes) for the queue's make and model and its
// default media, and they are compared with the PPD's NickName and default page size.
#pragma once

#include <string>

struct SetupState;

// Compares what the scheduler announces with what the PPD says; empty when they agree, else
// why not. A media name the size tables do not know is not compared.
std::string servedMismatch(const std::string& makeAndModel, const std::string& mediaDefault,
                           const std::string& ppdPath);

// For each refreshed or rolled-back queue of the result: its `served` (null when no scheduler
// answers, it does not know the queue, or a restart is pending), a run log line, and the outcome
// "failed" with the reason when the scheduler does not serve the PPD as written.
void checkServedQueues(SetupState& state);
