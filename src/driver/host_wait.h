#pragma once
#include <windows.h>

#include <optional>

// Whether an Illustrator.exe runs in this session (a process list that cannot
// be read says no).
bool IsHostRunning();

// Returns once no Illustrator.exe runs in this session, or after a little
// over two minutes.
inline constexpr DWORD kHostWaitLimitMilliseconds = 120000;
void WaitForHostExit();

// Whether an Illustrator.exe in the given session counts: another user's
// (fast user switching, a terminal server) holds none of this user's files,
// and one whose session cannot be read counts as another user's. Should the
// program's own session be unknown, every one counts.
bool CountsInThisSession(std::optional<DWORD> session, std::optional<DWORD> ownSession);
