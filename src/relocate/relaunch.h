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
// start programs in one) means for a copy: nothing outside a job, or in one
// that lets children go or neither lets them go nor ends them; the copy
// leaves a job that allows it; a job that ends its processes when it closes,
// and may not be left, would end the copy halfway: then the removal runs in
// the first process. Where the job's limits read as none at all (Wine reads
// none of any job), the start tells: a copy that may not leave stays undone.
enum class CopyInJob { Free, BreakAway, TryBreakAway, WouldBeEnded };
CopyInJob JudgeCallersJob(bool inJob, unsigned long limitFlags);

// The first process's exit code once its copy runs: 0 at once, or with
// wait=1 the outcome that the copy reports.
int AwaitCopy(const StartedCopy& copy);
