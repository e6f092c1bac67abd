#include "relocate/launch_location.h"

#include "common/handles.h"
#include "common/paths.h"
#include "common/processes.h"
#include "log/log.h"
#include "removal/folder_removal.h"

namespace {

constexpr DWORD kLaunchProcessWaitMilliseconds = 5000;

ULONGLONG CreationTime(HANDLE process) {
  FILETIME created = {}, exited = {}, kernel = {}, user = {};
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// The launch executable can be deleted only once its process has ended.
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

}  // namespace

bool IsLaunchProcess(const std::wstring& parentFile, ULONGLONG parentCreated, const std::wstring& ownFile,
                     ULONGLONG ownCreated) {
  return SameNameIgnoringCase(parentFile, ownFile) && parentCreated <= ownCreated;
}

void CleanLaunchLocation(const Arguments& arguments) {
  if (!arguments.isCopy || arguments.launchFolder.empty()) return;
  WaitForLaunchProcessExit();
  CleanLaunchLocation(arguments.launchFolder, GetOwnPath());
}

void CleanLaunchLocation(const std::wstring& launchFolder, const std::wstring& ownPath) {
  WriteLog(L"[Stage2] origdir: " + launchFolder + L"\\");
  // Without our own file name the "executable" would be the folder itself,
  // which must never be handed to the deletion at restart.
  if (!ownPath.empty()) DeleteOrScheduleFile(JoinPath(launchFolder, FileNameOf(ownPath)));
  if (RemoveDirectoryW(launchFolder.c_str())) {  // refused while anything is left in it
    WriteLog(L"[Stage2] Removed empty directory: " + launchFolder);
  }
}
