#include "removal/folder_removal.h"

#include <windows.h>
#include <shellapi.h>

#include "common/folders.h"
#include "common/grace.h"
#include "common/handles.h"
#include "common/paths.h"
#include "log/log.h"

namespace {

// Silent, no confirmation, no error dialog; no FOF_ALLOWUNDO, so nothing
// goes to the Recycle Bin; and nothing "connected" beside the folder (a
// folder named page_files would otherwise take page.htm with it).
constexpr FILEOP_FLAGS kSilentDeleteFlags =
    FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_NO_CONNECTED_ELEMENTS;

// Whether anything below the folder is not for the shell's delete: a link
// (to a folder or a file, a junction), which the shell may follow, or a path
// of 260 characters or more, which it does not take (Wine's then deletes what
// lies in its current folder). The walk never enters a link; a folder that
// cannot be listed may hold either.
bool HoldsWhatTheShellMustNotSee(const std::wstring& folder) {
  bool found = false;
  const bool listed = ForEachEntry(folder, [&found](const std::wstring& path, const std::wstring&, DWORD attributes) {
    found = IsLink(attributes) || path.size() >= MAX_PATH || (IsFolder(attributes) && HoldsWhatTheShellMustNotSee(path));
    return !found;
  });
  return found || !listed;
}

bool ShellDelete(const std::wstring& folder) {
  std::wstring sourceList = folder;  // a list of one name, ended by an empty name
  if (sourceList.empty() || sourceList.back() != L'\0') sourceList.push_back(L'\0');
  sourceList.push_back(L'\0');

  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = sourceList.c_str();
  operation.fFlags = kSilentDeleteFlags;
  // The shell may return 0 for an operation that the system aborted: only a
  // folder that is gone counts.
  return SHFileOperationW(&operation) == 0 && IsAbsent(folder);
}

// A file that is held is tried again while the run's grace lasts; only then
// is it handed to the deletion at the next restart.
void DeleteOrSchedule(const std::wstring& path, Grace& grace) {
  const std::wstring file = LongForm(path);
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);  // may fail; the deletion tells
  while (!DeleteFileW(file.c_str())) {
    if (!IsHeldError(GetLastError())) return;  // the file simply stays
    if (!grace.Pause()) {
      // Refused for a standard user on Windows; the file then simply stays.
      MoveFileExW(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
      return;
    }
  }
}

bool RemoveTree(const std::wstring& folder, Grace& grace, bool shellMaySee);

// The pass by hand: files deleted or scheduled, links removed as links and
// never listed, real sub-folders removed as a whole, then the folder itself;
// a folder that is a link loses only the link.
bool RemoveByHand(const std::wstring& folder, Grace& grace, bool shellMaySee) {
  const PathLook look = LookAt(folder);
  if (look.absent) return true;
  if (look.CannotLook()) return false;  // what cannot be looked at is left alone
  if (IsLink(look.attributes)) {
    RemoveDirectoryW(LongForm(folder).c_str());  // the link itself, whatever it points at
    return IsAbsent(folder);
  }
  // Windows refuses to remove a read-only folder (Explorer marks customised
  // folders so), and under Wine it stands for a folder closed to writing.
  if (look.attributes & FILE_ATTRIBUTE_READONLY) {
    const DWORD kept = look.attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
    SetFileAttributesW(LongForm(folder).c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);  // the final look judges
  }
  // Results are ignored here: the folder's own final look judges.
  ForEachEntry(folder, [&](const std::wstring& path, const std::wstring&, DWORD attributes) {
    if (IsFolder(attributes) && IsLink(attributes)) {
      RemoveDirectoryW(LongForm(path).c_str());  // the link itself: Windows never follows it here
    } else if (IsFolder(attributes)) {
      RemoveTree(path, grace, shellMaySee);  // starts over: a shell delete of its own first
    } else {
      DeleteOrSchedule(path, grace);
    }
    return true;
  });
  // Never scheduled: only the run's grace is given to what may pass. A
  // folder still seen is judged by its removal's error (none: removed, and
  // not gone yet), one that cannot be looked at by the look's.
  for (;;) {
    const DWORD removal = RemoveDirectoryW(LongForm(folder).c_str()) ? 0 : GetLastError();
    const PathLook after = LookAt(folder);
    if (after.absent) return true;
    const DWORD error = after.Exists() ? removal : after.error;
    if ((error != 0 && !MayGoInAMoment(error)) || !grace.Pause()) return false;
  }
}

// One folder: a shell delete when nothing below it is unfit for the shell,
// else, or when it fails, the pass by hand. A folder that is itself a
// link loses only the link.
bool RemoveTree(const std::wstring& folder, Grace& grace, bool shellMaySee) {
  if (folder.empty()) return false;
  const PathLook look = LookAt(folder);
  if (look.absent) return true;
  if (look.CannotLook()) return false;  // it may be there, and nothing in it can be shown to be ours
  if (IsLink(look.attributes)) {
    WriteLog(L"[Delete] The folder is a link: removing the link only: " + folder);
    return RemoveByHand(folder, grace, false);
  }
  shellMaySee = shellMaySee || (folder.size() < MAX_PATH && !HoldsWhatTheShellMustNotSee(folder));
  if (shellMaySee && ShellDelete(folder)) {
    WriteLog(L"[Delete] SHFileOperation removed: " + folder);
    return true;
  }
  WriteLog(shellMaySee ? L"[Delete] SHFileOperation failed, fallback RemoveDirectory."
                       : L"[Delete] Left to the pass by hand (a link or a long path inside): " + folder);
  return RemoveByHand(folder, grace, shellMaySee);
}

}  // namespace

void DeleteOrScheduleFile(const std::wstring& path) {
  Grace none{0};
  DeleteOrSchedule(path, none);
}

bool RemoveFolderByHand(const std::wstring& folder) {
  Grace grace;
  return RemoveByHand(folder, grace, false);
}

bool RemoveExtensionDir(const std::wstring& folder) {
  Grace grace;
  return RemoveTree(folder, grace, false);
}
