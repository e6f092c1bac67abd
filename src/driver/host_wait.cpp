#include "driver/host_wait.h"

#include "common/names.h"
#include "common/paths.h"
#include "common/processes.h"

namespace {

constexpr DWORD kHostPollMilliseconds = 500;

std::optional<DWORD> SessionOf(DWORD processId) {
  DWORD session = 0;
  return ProcessIdToSessionId(processId, &session) ? std::optional<DWORD>(session) : std::nullopt;
}

}  // namespace

bool CountsInThisSession(std::optional<DWORD> session, std::optional<DWORD> ownSession) {
  return !ownSession || session == ownSession;
}

bool IsHostRunning() {
  const std::optional<DWORD> ownSession = SessionOf(GetCurrentProcessId());
  return FindProcess([&ownSession](const PROCESSENTRY32W& entry) {
           return SameNameIgnoringCase(entry.szExeFile, kHostImageName) &&
                  CountsInThisSession(SessionOf(entry.th32ProcessID), ownSession);
         })
      .has_value();
}

void WaitForHostExit() {
  const DWORD start = GetTickCount();
  while (IsHostRunning()) {
    Sleep(kHostPollMilliseconds);
    if (GetTickCount() - start > kHostWaitLimitMilliseconds) return;  // unsigned: wrap-safe
  }
}
