#include "driver/removal_turn.h"

#include "common/names.h"
#include "driver/host_wait.h"

namespace {

// The session's namespace: another user's runs, in another session, are no
// concern of this one.
constexpr wchar_t kRemovalMutexName[] = L"Local\\PexloPlayAiUninstall.Removal";

}  // namespace

void ReleaseAndCloseMutex(HANDLE mutex) {
  ReleaseMutex(mutex);  // refused only for a mutex this thread does not own
  CloseHandle(mutex);
}

TurnWait JudgeTurnWait(DWORD waitResult) {
  if (waitResult == WAIT_OBJECT_0 || waitResult == WAIT_ABANDONED) return TurnWait::Ours;
  return waitResult == WAIT_TIMEOUT ? TurnWait::Busy : TurnWait::Unknown;
}

std::optional<RemovalTurn> AwaitRemovalTurn() {
  KernelHandle mutex(CreateMutexW(nullptr, FALSE, kRemovalMutexName));
  if (!mutex) return RemovalTurn();
  switch (JudgeTurnWait(WaitForSingleObject(mutex.get(), kHostWaitLimitMilliseconds))) {
    case TurnWait::Ours: return RemovalTurn(mutex.release());
    case TurnWait::Busy: return std::nullopt;
    case TurnWait::Unknown: return RemovalTurn();
  }
  return RemovalTurn();
}
