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

// The first process's exit code once its copy runs: 0 at once, or with
// wait=1 the outcome that the copy reports.
int AwaitCopy(const StartedCopy& copy);
