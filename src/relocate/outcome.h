#pragma once
#include <windows.h>

#include "common/handles.h"

// With wait=1 the first process learns the removal's outcome from its copy
// through an anonymous pipe: the copy inherits the write end, named on its
// line, and writes its exit code into it once the outcome is known. The first
// process keeps only the read end, so a copy that ends without reporting
// (killed, crashed) leaves a broken pipe, never a hang.

// A pipe whose write end, and only that, the copy may inherit.
bool CreateOutcomePipe(KernelHandle& readEnd, KernelHandle& writeEnd);

// The first process: the exit code the copy reported, or 1 (not removed)
// when it ended without one. Both are logged.
int ReadCopyOutcome(HANDLE readEnd);

// The copy: hands its exit code to the waiting first process through the
// pipe its line named, and closes it. Nothing when there is none, or when the
// handle is not a pipe, whatever the line said.
void ReportOutcome(HANDLE pipe, int exitCode);
