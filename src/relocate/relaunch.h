#pragma once
#include <optional>

#include "common/arguments.h"
#include "common/handles.h"

// A copy started from its work folder, and with wait=1 the read end of the
// pipe it reports its outcome through.
struct StartedCopy {
  KernelHandle outcome;
};

// The first process: copies this executable into a fresh work folder under
// %TEMP% and starts the copy with stage=2. None when any step fails; the
// removal then runs in this process.
std::optional<StartedCopy> StartCopyFromTemp(const Arguments& arguments);

// What the caller's job (deployment agents, task runners and some installers
// start programs in one; PowerShell's Start-Process -Wait one without limits)
// means for a copy, from what Windows answered: IsProcessInJob, whether the
// job's limits were read, and its limit flags. The limits count as read when
// the accounting query of the process's own job succeeds (it does on
// Windows) or the flags are not 0: Wine reads 0 for every job and fails that
// query. Free: outside a job, or one that lets children go on their own;
// BreakAway: the copy leaves a job that allows it; StaysIn: a job read
// without kill-on-close cannot end the copy, which starts in it;
// WouldBeEnded: a kill-on-close job that may not be left would end the copy
// halfway, so the removal runs in the first process; TryBreakAway: a job
// that could not be read, where the start tells.
enum class CopyInJob { Free, BreakAway, StaysIn, WouldBeEnded, TryBreakAway };
CopyInJob JudgeCallersJob(bool inJob, bool accountingRead, unsigned long limitFlags);

// The first process's exit code once its copy runs: 0 at once, or with
// wait=1 the outcome that the copy reports.
int AwaitCopy(const StartedCopy& copy);
