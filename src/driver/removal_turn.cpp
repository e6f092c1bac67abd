#include "driver/removal_turn.h"

#include <sddl.h>

#include "common/names.h"
#include "driver/host_wait.h"
#include "driver/identity.h"

namespace {

// Only what the turn needs: to wait on the mutex and to release it.
constexpr DWORD kTurnAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

// The mutex is made by whichever run comes first. Made with the security
// below when the system takes it, else with the system's default.
HANDLE OpenTurnMutex() {
  const std::wstring user = OwnUserSid();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!user.empty() && ConvertStringSecurityDescriptorToSecurityDescriptorW(RemovalTurnSecurity(user).c_str(), SDDL_REVISION_1,
                                                                           &descriptor, nullptr)) {
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    const HANDLE mutex = CreateMutexExW(&attributes, kRemovalMutexName, 0, kTurnAccess);
    LocalFree(descriptor);
    if (mutex) return mutex;
  }
  return CreateMutexExW(nullptr, kRemovalMutexName, 0, kTurnAccess);
}

}  // namespace

std::wstring RemovalTurnSecurity(const std::wstring& userSid) {
  return L"D:P(A;;0x00100001;;;" + userSid + L")S:(ML;;NW;;;ME)";  // 0x00100001: kTurnAccess
}

void ReleaseAndCloseMutex(HANDLE mutex) {
  ReleaseMutex(mutex);  // refused only for a mutex this thread does not own
  CloseHandle(mutex);
}

TurnWait JudgeTurnWait(DWORD waitResult) {
  if (waitResult == WAIT_OBJECT_0 || waitResult == WAIT_ABANDONED) return TurnWait::Ours;
  return waitResult == WAIT_TIMEOUT ? TurnWait::Busy : TurnWait::Unknown;
}

std::optional<RemovalTurn> AwaitRemovalTurn() {
  KernelHandle mutex(OpenTurnMutex());
  if (!mutex) return RemovalTurn();
  switch (JudgeTurnWait(WaitForSingleObject(mutex.get(), kHostWaitLimitMilliseconds))) {
    case TurnWait::Ours: return RemovalTurn(mutex.release());
    case TurnWait::Busy: return std::nullopt;
    case TurnWait::Unknown: return RemovalTurn();
  }
  return RemovalTurn();
}
