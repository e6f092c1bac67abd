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

// Whether an Illustrator.exe counts, from its session as read with full
// query rights. Another user's (fast user switching, a terminal server) holds
// none of this user's files. One whose session cannot be read counts when it
// grants limited query rights: the user's own Illustrator started "as
// administrator" does, another user's does not. Should the program's own
// session be unknown, every one counts.
bool CountsInThisSession(std::optional<DWORD> session, bool grantsLimitedQuery, std::optional<DWORD> ownSession);
