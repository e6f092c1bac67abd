#include "relocate/launch_location.h"

#include "common/grace.h"
#include "common/folders.h"
#include "common/handles.h"
#include "common/names.h"
#include "common/paths.h"
#include "common/processes.h"
#include "log/log.h"
#include "relocate/copy_line.h"
#include "relocate/work_folder.h"
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

// Renamed only: a running image cannot be copied away and deleted.
bool MoveWithinGrace(const std::wstring& from, const std::wstring& to) {
  Grace grace;
  while (!MoveFileExW(LongForm(from).c_str(), LongForm(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    if (!IsHeldError(GetLastError()) || !grace.Pause()) return false;
  }
  return true;
}

std::wstring OwnWorkFolder() { return FolderOf(GetOwnPath()); }

}  // namespace

void SweepEarlierLaunchFiles(const std::wstring& extensionFolder, const std::wstring& tempFolder) {
  const unsigned long now = GetTickCount();
  const std::wstring home = WorkFoldersHome(tempFolder);
  ForEachEntry(FolderOf(extensionFolder), [&](const std::wstring& path, const std::wstring& name, DWORD attributes) {
    const std::wstring run = WorkFolderNameBeside(name);
    if (IsFolder(attributes) || IsLink(attributes) || run.empty()) return true;
    // A run whose work folder is still there may yet put the file back.
    if (tempFolder.empty() || !IsOldEnoughToSweep(run, now) || !IsAbsent(JoinPath(home, run))) return true;
    if (DeleteFileW(LongForm(path).c_str())) WriteLog(L"[Stage1] Removed a launch executable left by an earlier run: " + path);
    return true;
  });
}

bool IsLaunchProcess(const std::wstring& parentFile, ULONGLONG parentCreated, const std::wstring& ownFile,
                     ULONGLONG ownCreated) {
  return SameNameIgnoringCase(parentFile, ownFile) && parentCreated <= ownCreated;
}

std::optional<MovedLaunch> MoveLaunchOutOf(const std::wstring& extensionFolder, const Arguments& arguments) {
  const std::wstring ownPath = GetOwnPath(), extension = NormalisedPath(extensionFolder);
  const std::wstring launch = NormalisedPath(arguments.launchFolder);
  if (!arguments.isCopy || arguments.launchFolder.empty() || ownPath.empty() || !IsInsideFolder(launch, extension)) {
    return std::nullopt;
  }
  const std::wstring name = FileNameOf(ownPath);
  const std::wstring from = JoinPath(arguments.launchFolder, name);
  const PathLook look = LookAt(from);
  if (!look.Exists()) return std::nullopt;
  MovedLaunch moved{from, JoinPath(FolderOf(ownPath), L"launch_" + name), look.attributes};
  bool out = MoveWithinGrace(moved.from, moved.to);
  if (!out && GetLastError() == ERROR_NOT_SAME_DEVICE) {
    moved.to = LaunchBesideExtension(extensionFolder, FileNameOf(OwnWorkFolder()));
    out = MoveWithinGrace(moved.from, moved.to);
  }
  if (!out) {
    WriteLog(L"[Stage2] The launch executable cannot leave the extension's folder (another volume?); the folder stays while it runs: " +
             moved.from);
    return std::nullopt;
  }
  // Writable, so that it goes with the work folder; hidden where it lies beside the extension.
  const bool beside = !SameNameIgnoringCase(FolderOf(moved.to), FolderOf(ownPath));
  SetFileAttributesW(LongForm(moved.to).c_str(), beside ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL);
  WriteLog(L"[Stage2] Launch executable moved out of the extension's folder: " + moved.to);
  // As the system names them, as the sweep will read them back.
  WriteLaunchRecord(OwnWorkFolder(), extension, {JoinPath(launch, FileNameOf(moved.from)), moved.to, moved.attributes});
  return moved;
}

bool PutLaunchBack(const std::optional<MovedLaunch>& moved) {
  if (!moved) return true;
  CreateDirectoryTree(FolderOf(moved->from));  // the removal may have emptied and removed it
  if (!MoveFileExW(LongForm(moved->to).c_str(), LongForm(moved->from).c_str(), 0)) {
    WriteLog(L"[Stage2] The launch executable could not be put back: " + moved->to);
    return false;
  }
  SetFileAttributesW(LongForm(moved->from).c_str(), moved->attributes);
  ForgetLaunchRecord(OwnWorkFolder());
  WriteLog(L"[Stage2] Launch executable put back: " + moved->from);
  return true;
}

void CleanLaunchLocation(const Arguments& arguments) {
  if (!arguments.isCopy || arguments.launchFolder.empty()) return;
  ForgetLaunchRecord(OwnWorkFolder());  // removed: nothing is to go back
  WaitForLaunchProcessExit();
  const std::wstring beside = LaunchBesideExtension(arguments.extensionFolder, FileNameOf(OwnWorkFolder()));
  if (!IsAbsent(beside)) DeleteOrScheduleFile(beside);  // what stays goes with the next run's sweep
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
