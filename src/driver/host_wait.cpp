#include "driver/host_wait.h"

#include "common/handles.h"
#include "common/names.h"
#include "common/paths.h"
#include "common/processes.h"

namespace {

constexpr DWORD kHostPollMilliseconds = 500;

std::optional<DWORD> SessionOf(DWORD processId) {
  DWORD session = 0;
  return ProcessIdToSessionId(processId, &session) ? std::optional<DWORD>(session) : std::nullopt;
}

bool GrantsLimitedQuery(DWORD processId) {
  return KernelHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)).get() != nullptr;
}

}  // namespace

bool CountsInThisSession(std::optional<DWORD> session, bool grantsLimitedQuery, std::optional<DWORD> ownSession) {
  if (!ownSession) return true;
  return session ? session == ownSession : grantsLimitedQuery;
}

bool IsHostRunning() {
  const std::optional<DWORD> ownSession = SessionOf(GetCurrentProcessId());
  return FindProcess([&ownSession](const PROCESSENTRY32W& entry) {
           if (!SameNameIgnoringCase(entry.szExeFile, kHostImageName)) return false;
           const std::optional<DWORD> session = SessionOf(entry.th32ProcessID);
           return CountsInThisSession(session, !session && GrantsLimitedQuery(entry.th32ProcessID), ownSession);
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
