#pragma once
#include <windows.h>

#include <string>

#include "common/arguments.h"

// The relaunched copy, after a removal: waits (five seconds at most) for the
// first process to end, then deletes the launch executable (the file in the
// launch folder named like the copy) and removes the launch folder when
// nothing else is left in it. Nothing without a launch folder.
void CleanLaunchLocation(const Arguments& arguments);

// The same without the wait, for the copy's own path.
void CleanLaunchLocation(const std::wstring& launchFolder, const std::wstring& ownPath);

// The first process is the copy's parent and runs a file of the same name.
// It started before the copy: an ended parent's id may have gone to a newer
// process, which is not waited for. Creation times as FILETIME counts.
bool IsLaunchProcess(const std::wstring& parentFile, ULONGLONG parentCreated, const std::wstring& ownFile,
                     ULONGLONG ownCreated);
