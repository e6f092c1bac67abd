#pragma once
#include <windows.h>

#include <optional>

// Whether a start hands the program a show state that would hide its first
// box: NSIS nsExec and Inno Setup's runhidden start it with SW_HIDE. Any
// other start is left alone (using a minimised one up would flash a window).
bool IsHiddenStart(DWORD startupFlags, WORD showWindow);

// On a hidden start, shows a window of no use with SW_SHOWDEFAULT, to which
// Windows applies the caller's show state and so uses it up: that window is
// hidden, and the boxes after it are shown.
void UseUpHiddenStart();

// Whether anyone sees the boxes on a window station with these flags: one
// without WSF_VISIBLE (a task that runs whether the user is logged on or
// not, a service account's) shows them to nobody, and a box there never
// ends. Flags that cannot be read leave the boxes as they are.
bool ShowsBoxes(std::optional<DWORD> windowStationFlags);
bool ThisWindowStationShowsBoxes();
