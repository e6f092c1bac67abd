#pragma once
#include <string>

#include "common/arguments.h"
#include "common/handles.h"

// With wait=1 the first process learns the removal's outcome from its copy
// through an anonymous pipe: the copy inherits the write end, named on its
// line as outcome=<handle>, and writes its exit code into it once the outcome
// is known. The first process keeps only the read end, so a copy that ends
// without reporting (killed, crashed) leaves a broken pipe, never a hang.

// A pipe whose write end, and only that, the copy may inherit.
bool CreateOutcomePipe(KernelHandle& readEnd, KernelHandle& writeEnd);

// The first process: the exit code the copy reported, or 1 (not removed)
// when it ended without one. Both are logged.
int WaitForCopyOutcome(HANDLE readEnd);

// The copy: hands its exit code to the waiting first process, if there is one.
void ReportOutcome(const Arguments& arguments, int exitCode);

// A handle's value as the copy's line carries it.
std::wstring HandleText(HANDLE handle);
