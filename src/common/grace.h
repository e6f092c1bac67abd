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

// Errors of a folder's removal, or of the look at it afterwards, that may
// pass in a moment. Outside NTFS (AppData redirected to a share, FAT, exFAT)
// a deleted file that another program holds stays listed until let go, so
// its folder is not empty yet; and a folder removed while a handle to it is
// open reads as access denied until it goes.
inline bool MayGoInAMoment(DWORD error) { return IsHeldError(error) || error == ERROR_DIR_NOT_EMPTY; }
