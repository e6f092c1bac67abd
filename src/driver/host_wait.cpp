#include "driver/host_wait.h"

#include "common/names.h"
#include "common/paths.h"
#include "common/processes.h"

namespace {

constexpr DWORD kHostPollMilliseconds = 500;
constexpr DWORD kHostWaitLimitMilliseconds = 120000;

}  // namespace

bool IsHostRunning() {
  return FindProcess([](const PROCESSENTRY32W& entry) { return SameNameIgnoringCase(entry.szExeFile, kHostImageName); })
      .has_value();
}

void WaitForHostExit() {
  const DWORD start = GetTickCount();
  while (IsHostRunning()) {
    Sleep(kHostPollMilliseconds);
    if (GetTickCount() - start > kHostWaitLimitMilliseconds) return;  // unsigned: wrap-safe
  }
}
