#pragma once
#include <windows.h>

#include <string>

// Whether an Illustrator.exe runs (a process list that cannot be read says no).
bool IsHostRunning();

// Returns once no Illustrator.exe runs, or after a little over two minutes.
void WaitForHostExit();

// In the relaunched copy: returns once the process that started it (stage 1,
// running the launch executable) has ended, or after five seconds at most.
void WaitForLaunchProcessExit();

// Stage 1 is the copy's parent and runs a file of the same name. It started
// before the copy: an ended parent's id may have gone to a newer process,
// which is not waited for. Creation times as FILETIME counts.
bool IsLaunchProcess(const std::wstring& parentFile, ULONGLONG parentCreated, const std::wstring& ownFile,
                     ULONGLONG ownCreated);
