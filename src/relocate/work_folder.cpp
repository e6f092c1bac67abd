#include "relocate/work_folder.h"

#include <windows.h>

#include <cwchar>

#include "common/cmd_helper.h"
#include "common/folders.h"
#include "common/decimal.h"
#include "common/paths.h"
#include "log/log.h"
#include "relocate/copy_line.h"
#include "relocate/launch_place.h"

namespace {

constexpr int kHelperTries = 5;
constexpr unsigned long kSweepAgeMilliseconds = 30000;

bool IsPlainFolder(const std::wstring& path) {
  const PathLook look = LookAt(path);
  return look.Exists() && IsFolder(look.attributes) && !IsLink(look.attributes);
}

// Waits a second before each try, so that the copy has ended (and a scanner
// let go of it) by then; stops once the folder is gone. The pause is
// Windows' own timeout command, not the ping of 127.0.0.1 that self-deleting
// malware is known by, and nothing but this one folder is named. No @
// before the loop's body (cmd runs with /q): Wine's cmd skips a body
// written @(...), pauses and all.
std::wstring HelperCommand(const std::wstring& folder) {
  const std::wstring quoted = L"\"" + folder + L"\"";
  return L"for /l %i in (1,1," + Decimal(kHelperTries) + L") do (if exist " + quoted +
         L" (timeout /t 1 /nobreak >nul 2>&1 & rmdir /s /q " + quoted + L" 2>nul))";
}

// The plain files named launch_* (the launch executable, its record), or
// all others; false once one cannot be deleted.
bool DeleteFilesIn(const std::wstring& folder, bool launch) {
  bool kept = false;
  ForEachEntry(folder, [launch, &kept](const std::wstring& path, const std::wstring& name, DWORD attributes) {
    if (IsFolder(attributes) || IsLink(attributes) || (name.rfind(L"launch_", 0) == 0) != launch) return true;
    SetFileAttributesW(LongForm(path).c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only copies of earlier versions
    kept = !DeleteFileW(LongForm(path).c_str());
    return !kept;
  });
  return !kept;
}

}  // namespace

std::wstring HandOverLine(const std::wstring& cmd, const std::wstring& folder) {
  return CmdHelperLine(cmd, HelperCommand(folder));
}

bool IsWorkFolderName(const std::wstring& name) {
  const size_t underscore = name.find(L'_');
  const auto digits = [](const std::wstring& part) {
    return !part.empty() && part.find_first_not_of(L"0123456789") == std::wstring::npos;
  };
  return underscore != std::wstring::npos && digits(name.substr(0, underscore)) && digits(name.substr(underscore + 1));
}

bool IsOldEnoughToSweep(const std::wstring& name, unsigned long nowTick) {
  if (!IsWorkFolderName(name)) return false;
  const std::wstring digits = name.substr(name.find(L'_') + 1);
  // A number beyond 32 bits was not written by a run.
  const unsigned long long tick = digits.size() > 10 ? ~0ull : std::wcstoull(digits.c_str(), nullptr, 10);
  if (tick > 0xFFFFFFFFull) return true;
  return static_cast<DWORD>(nowTick - static_cast<DWORD>(tick)) >= kSweepAgeMilliseconds;
}

void SweepEarlierWorkFolders(const std::wstring& tempFolder) {
  const std::wstring home = WorkFoldersHome(tempFolder);
  if (tempFolder.empty() || !IsPlainFolder(home)) return;
  const unsigned long now = GetTickCount();
  ForEachEntry(home, [now](const std::wstring& folder, const std::wstring& name, DWORD attributes) {
    if (!IsFolder(attributes) || IsLink(attributes) || !IsOldEnoughToSweep(name, now)) return true;
    // The copy first: while it runs, its run may yet put back the launch
    // executable it moved here, so the folder is left whole. So it is while
    // a launch executable that its run could not put back cannot go back yet.
    if (!DeleteFilesIn(folder, false) || !PutBackRecordedLaunch(folder) || !DeleteFilesIn(folder, true)) return true;
    if (RemoveDirectoryW(LongForm(folder).c_str())) WriteLog(L"[Stage1] Removed a work folder left by an earlier run: " + folder);
    return true;
  });
}

bool MayHandOver(const std::wstring& folder, const std::wstring& tempFolder, bool folderIsPlain, bool homeIsPlain) {
  return !tempFolder.empty() && folder.find(L'%') == std::wstring::npos &&
         SameNameIgnoringCase(FolderOf(folder), WorkFoldersHome(tempFolder)) && IsWorkFolderName(FileNameOf(folder)) &&
         folderIsPlain && homeIsPlain;
}

void HandOverWorkFolder() {
  const std::wstring folder = FolderOf(GetOwnPath()), temp = GetTempFolder();
  if (!MayHandOver(folder, temp, IsPlainFolder(folder), IsPlainFolder(FolderOf(folder)))) return;
  // When cmd cannot be started, the folder stays for the next run's sweep.
  if (StartCmdHelper(HelperCommand(folder))) WriteLog(L"[Stage2] Work folder handed to cmd.exe for removal: " + folder);
}
