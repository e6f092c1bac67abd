#include "driver/processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>
#include <optional>

#include "common/handles.h"

namespace {

constexpr DWORD kHostPollMilliseconds = 500;
constexpr DWORD kHostWaitLimitMilliseconds = 120000;
constexpr DWORD kLaunchProcessWaitMilliseconds = 5000;

// The first entry of a fresh process list that matches, if any.
template <typename Matches>
std::optional<PROCESSENTRY32W> FindProcess(Matches matches) {
  SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  if (!Process32FirstW(snapshot.get(), &entry)) return std::nullopt;
  do {
    if (matches(entry)) return entry;
  } while (Process32NextW(snapshot.get(), &entry));
  return std::nullopt;
}

ULONGLONG CreationTime(HANDLE process) {
  FILETIME created = {}, exited = {}, kernel = {}, user = {};
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

}  // namespace

bool IsLaunchProcess(const std::wstring& parentFile, ULONGLONG parentCreated, const std::wstring& ownFile,
                     ULONGLONG ownCreated) {
  return _wcsicmp(parentFile.c_str(), ownFile.c_str()) == 0 && parentCreated <= ownCreated;
}

bool IsHostRunning() {
  return FindProcess([](const PROCESSENTRY32W& entry) { return _wcsicmp(entry.szExeFile, L"Illustrator.exe") == 0; })
      .has_value();
}

void WaitForHostExit() {
  const DWORD start = GetTickCount();
  while (IsHostRunning()) {
    Sleep(kHostPollMilliseconds);
    if (GetTickCount() - start > kHostWaitLimitMilliseconds) return;  // unsigned: wrap-safe
  }
}

void WaitForLaunchProcessExit() {
  const DWORD ownId = GetCurrentProcessId();
  const auto own = FindProcess([ownId](const PROCESSENTRY32W& entry) { return entry.th32ProcessID == ownId; });
  if (!own) return;
  const auto parent = FindProcess([&own](const PROCESSENTRY32W& entry) { return entry.th32ProcessID == own->th32ParentProcessID; });
  if (!parent) return;
  KernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent->th32ProcessID));
  if (process && IsLaunchProcess(parent->szExeFile, CreationTime(process.get()), own->szExeFile,
                                 CreationTime(GetCurrentProcess()))) {
    WaitForSingleObject(process.get(), kLaunchProcessWaitMilliseconds);
  }
}
