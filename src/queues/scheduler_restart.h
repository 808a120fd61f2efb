// Restarting the scheduler without stopping a job: before the restart no job may start and the
// restart waits (bounded) until none is printing; afterwards every job kept from starting is let go,
// so each prints once. A job still printing at the bound leaves the restart pending.
#pragma once

struct SetupState;

// The wait's bound in seconds: ORVORESTARTWAIT when it holds a number from 0 to 86400, else 300.
int restartWaitBound();

// Restarts CUPS (restartCups) once no job prints; without an answering scheduler at once, as
// before. Returns restartCups's status, or -1 when the restart was left pending
// (state.result.restartPending set, the queues and jobs released).
int restartScheduler(SetupState& state);

// How many jobs the scheduler is printing now; 0 when none answers.
int jobsPrintingNow();
