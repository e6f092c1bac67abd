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

std::optional<MovedLaunch> MoveLaunchOutOf(const std::wstring& extensionFolder, const Arguments& arguments) {
  const std::wstring ownPath = GetOwnPath();
  if (!arguments.isCopy || arguments.launchFolder.empty() || ownPath.empty() ||
      !IsInsideFolder(NormalisedPath(arguments.launchFolder), NormalisedPath(extensionFolder))) {
    return std::nullopt;
  }
  const std::wstring name = FileNameOf(ownPath);
  const std::wstring from = JoinPath(arguments.launchFolder, name);
  const PathLook look = LookAt(from);
  if (!look.Exists()) return std::nullopt;
  const MovedLaunch moved{from, JoinPath(FolderOf(ownPath), L"launch_" + name), look.attributes};
  // Renamed only: a running image cannot be copied away and deleted.
  if (!MoveFileExW(LongForm(moved.from).c_str(), LongForm(moved.to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    WriteLog(L"[Stage2] The launch executable cannot leave the extension's folder (another volume?); the folder stays while it runs: " +
             moved.from);
    return std::nullopt;
  }
  SetFileAttributesW(LongForm(moved.to).c_str(), FILE_ATTRIBUTE_NORMAL);
  WriteLog(L"[Stage2] Launch executable moved out of the extension's folder: " + moved.to);
  return moved;
}

void PutLaunchBack(const std::optional<MovedLaunch>& moved) {
  if (!moved) return;
  CreateDirectoryTree(FolderOf(moved->from));  // the removal may have emptied and removed it
  if (MoveFileExW(LongForm(moved->to).c_str(), LongForm(moved->from).c_str(), 0)) {
    SetFileAttributesW(LongForm(moved->from).c_str(), moved->attributes);
    WriteLog(L"[Stage2] Launch executable put back: " + moved->from);
  } else {
    WriteLog(L"[Stage2] The launch executable could not be put back: " + moved->to);
  }
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
  // A drive or share root is never removed: RemoveDirectoryW(L"E:") would
  // name that drive's current folder.
  if (TrimTrailingSeparators(RootOf(launchFolder + L"\\")) == launchFolder) return;
  if (RemoveDirectoryW(launchFolder.c_str())) {  // refused while anything is left in it
    WriteLog(L"[Stage2] Removed empty directory: " + launchFolder);
  }
}
