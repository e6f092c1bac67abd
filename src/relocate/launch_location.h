#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "common/arguments.h"
#include "relocate/launch_place.h"

// The relaunched copy, after a removal: waits (five seconds at most) for the
// first process to end, then deletes the launch executable (the file in the
// launch folder named like the copy) and removes the launch folder when
// nothing else is left in it. Nothing without a launch folder.
void CleanLaunchLocation(const Arguments& arguments);

// The same without the wait, for the copy's own path.
void CleanLaunchLocation(const std::wstring& launchFolder, const std::wstring& ownPath);

// The program may be shipped inside the extension's folder. While a waiting
// first process runs the launch executable it cannot be deleted, but Windows
// lets a running image be renamed within its volume: the copy moves it into
// its own work folder, beside itself under another name, before the removal,
// and puts it back (in a folder made again if need be) when the removal fails.
// A work folder on another volume cannot take it: it then goes beside the
// extension's folder (LaunchBesideExtension), and the copy deletes it there
// after a removal once the first process has ended. A file held for a
// moment (a scanner) is tried again within the run's grace. Its place is
// recorded in the work folder while it is out (see launch_place.h).
std::optional<MovedLaunch> MoveLaunchOutOf(const std::wstring& extensionFolder, const Arguments& arguments);
// True when the file is back, or was never moved.
bool PutLaunchBack(const std::optional<MovedLaunch>& moved);

// The first process, after the sweep of work folders: deletes what earlier
// runs left beside the extension's folder, once the work folder that its name
// carries is gone (that run has ended) and is old enough by that name (as the
// sweep of work folders judges it), and nothing else.
void SweepEarlierLaunchFiles(const std::wstring& extensionFolder, const std::wstring& tempFolder);

// The first process is the copy's parent and runs a file of the same name.
// It started before the copy: an ended parent's id may have gone to a newer
// process, which is not waited for. Creation times as FILETIME counts.
bool IsLaunchProcess(const std::wstring& parentFile, ULONGLONG parentCreated, const std::wstring& ownFile,
                     ULONGLONG ownCreated);
