#include "driver/sequence.h"

#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include "common/handles.h"
#include "common/paths.h"
#include "driver/args.h"
#include "driver/entry.h"
#include "log/log.h"
#include "relocate/relaunch.h"
#include "removal/debug_mode.h"
#include "removal/folder_removal.h"

namespace {

constexpr DWORD kHostPollMilliseconds = 500;
constexpr DWORD kHostWaitLimitMilliseconds = 120000;

bool IsHostRunning(HANDLE snapshot) {
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  if (!Process32FirstW(snapshot, &entry)) return false;
  do {
    if (_wcsicmp(entry.szExeFile, L"Illustrator.exe") == 0) return true;
  } while (Process32NextW(snapshot, &entry));
  return false;
}

// A failed search counts as empty: removing a non-empty folder fails anyway.
bool IsFolderEmpty(const std::wstring& folder) {
  WIN32_FIND_DATAW entry = {};
  FindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &entry));
  if (!search.IsValid()) return true;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") return false;
  } while (FindNextFileW(search.value, &entry));
  return true;
}

}  // namespace

void WaitForHostExit() {
  const DWORD start = GetTickCount();
  for (;;) {
    {
      FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
      if (!snapshot.IsValid() || !IsHostRunning(snapshot.value)) return;
    }
    Sleep(kHostPollMilliseconds);
    if (GetTickCount() - start > kHostWaitLimitMilliseconds) return;  // unsigned: wrap-safe
  }
}

void CleanLaunchLocation(const std::wstring& launchFolder, const std::wstring& ownPath) {
  const std::wstring folderWithSeparator = EnsureTrailingSeparator(launchFolder);
  WriteLog(L"[Stage2] origdir: " + folderWithSeparator);
  // Without our own file name the "executable" would be the folder itself,
  // which must never be handed to the deletion at restart.
  if (!ownPath.empty()) DeleteOrScheduleFile(folderWithSeparator + PathFindFileNameW(ownPath.c_str()));

  const std::wstring folder = TrimTrailingSeparators(folderWithSeparator);
  if (folder.empty()) return;
  if (IsFolderEmpty(folder) && RemoveDirectoryW(folder.c_str())) {
    WriteLog(L"[Stage2] Removed empty directory: " + folder);
  }
}

int RunUninstallSequence(const RunState& run) {
  if (RelaunchFromTemp(run.argumentCount, run.argumentVector, run.extensionFolder, run.langValue)) {
    return kExitRemoved;
  }

  ShowMessage(MessageId::ConfirmRemoval, run.caption, MB_ICONINFORMATION);
  WaitForHostExit();
  ClearCepDebugMode();

  if (!RemoveExtensionDir(run.extensionFolder)) {
    WriteLog(L"Failed to delete extension directory.");
    ShowMessage(MessageId::RemoveFailed, run.caption, MB_ICONERROR);
    return kExitNotRemoved;
  }
  WriteLog(L"Extension directory deleted (or scheduled).");

  const std::wstring stage = GetArgValue(run.argumentCount, run.argumentVector, L"stage");
  const std::wstring launchFolder = GetArgValue(run.argumentCount, run.argumentVector, L"origdir");
  if (stage == L"2" && !launchFolder.empty()) CleanLaunchLocation(launchFolder, GetOwnPath());

  // A running program cannot delete its own file: this ends in a request to
  // delete it at the next restart, which a standard user's Windows may refuse.
  DeleteOrScheduleFile(GetOwnPath());

  ShowMessage(MessageId::Removed, run.caption, MB_ICONINFORMATION);
  return kExitRemoved;
}
