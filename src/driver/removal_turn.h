#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "common/handles.h"

// One removal at a time among the user's runs (a double click that starts
// the program twice, an installer and the user at once): the process that
// removes holds a named mutex of its session from just before the registry
// step to the end of the removal.

// The mutex's security, for the same user's normal and elevated runs alike:
// an elevated run's default security names the Administrators group, which a
// normal run's token holds for denial only, and labels the mutex High
// integrity, so a normal run could not open it and would remove beside the
// elevated one. Here only the user, by SID, may wait on it and release it
// (SYNCHRONIZE and MUTEX_MODIFY_STATE), and the label is Medium.
std::wstring RemovalTurnSecurity(const std::wstring& userSid);

void ReleaseAndCloseMutex(HANDLE mutex);
using RemovalTurn = UniqueHandle<HANDLE, ReleaseAndCloseMutex, 0>;

// What a wait for the mutex means: this run's turn (signalled, or abandoned
// by a run that ended without letting go); another removal still running
// after the wait; or nothing known (the wait failed), when the run goes on
// as it would without the mutex.
enum class TurnWait { Ours, Busy, Unknown };
TurnWait JudgeTurnWait(DWORD waitResult);

// Waits for the turn, as long as the wait for Illustrator at most. None when
// another removal still runs then; an empty turn when no mutex could be had.
std::optional<RemovalTurn> AwaitRemovalTurn();
