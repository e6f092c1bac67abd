#pragma once
#include <string>

// The copy's work folder, %TEMP%\PexloPlayAiUninstall\<process id>_<tick count>,
// goes once the copy has ended: Windows lets only administrators ask for a
// deletion at restart, so a standard user's copy would stay for good.

// <process id>_<tick count>: two runs of digits joined by an underscore.
bool IsWorkFolderName(const std::wstring& name);

// The first process, before it makes its own: removes what earlier runs left
// in the work folders' home. Only folders named like a work folder and old
// enough, never through a link, and in them only plain files, the copy
// first; a folder whose copy still runs is left whole, and so stays, and so
// is one whose launch executable its run could not put back, until it can
// go back (PutBackRecordedLaunch).
void SweepEarlierWorkFolders(const std::wstring& tempFolder);

// A work folder that another run has just made may not hold its running copy
// yet: it is left for half a minute, by the tick count in its name
// (<process id>_<tick count>) against now. One from before a restart may
// read as that young, and waits as long. A name not like a work folder's
// never is.
bool IsOldEnoughToSweep(const std::wstring& name, unsigned long nowTick);

// The copy, as the last thing it does: hands its own work folder to cmd.exe,
// which tries a few times, a second apart, to remove it once the copy has
// ended. Nothing unless MayHandOver; the next run's sweep then takes it.
void HandOverWorkFolder();

// The helper's command line (see CmdHelperLine).
std::wstring HandOverLine(const std::wstring& cmd, const std::wstring& folder);

// Whether the copy's folder may go to rmdir /s: a work folder of its own
// (named <digits>_<digits>) in the work folders' home under the temporary
// folder, neither it nor that home a link or anything but a plain folder
// (as LookAt found them), and no % in its path, which cmd would expand into
// another folder's name.
bool MayHandOver(const std::wstring& folder, const std::wstring& tempFolder, bool folderIsPlain, bool homeIsPlain);
