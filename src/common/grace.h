#pragma once
#include <windows.h>

// A moment's grace for what another program holds briefly (a virus scanner,
// the search indexer, a helper of Illustrator's that outlives it): a budget of
// time, spent in short pauses, after which the run goes on without.
struct Grace {
  static constexpr DWORD kPauseMilliseconds = 100;
  DWORD millisecondsLeft = 2000;

  // Pauses once and says whether to try again; false once the budget is spent.
  bool Pause() {
    if (millisecondsLeft == 0) return false;
    const DWORD pause = millisecondsLeft < kPauseMilliseconds ? millisecondsLeft : kPauseMilliseconds;
    Sleep(pause);
    millisecondsLeft -= pause;
    return true;
  }
};

// Errors that mean "held by someone else, for now".
inline bool IsHeldError(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}
