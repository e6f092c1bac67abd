#pragma once
#include <windows.h>

#include <optional>

#include "common/handles.h"

// One removal at a time among the user's runs (a double click that starts
// the program twice, an installer and the user at once): the process that
// removes holds a named mutex of its session from just before the registry
// step to the end of the removal.

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
