#include "removal/folder_removal.h"

#include <windows.h>
#include <shellapi.h>

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

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsFolder(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// Calls visit(path, attributes) for each entry of the folder ("." and ".."
// left out) until it returns false; false when the folder cannot be listed.
template <typename Visit>
bool ForEachEntry(const std::wstring& folder, Visit visit) {
  WIN32_FIND_DATAW entry = {};
  FindHandle listing(FindFirstFileW(LongForm(JoinPath(folder, L"*")).c_str(), &entry));
  if (!listing) return false;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L".." && !visit(JoinPath(folder, name), entry.dwFileAttributes)) break;
  } while (FindNextFileW(listing.get(), &entry));
  return true;
}

// Whether a link (to a folder or a file, a junction) lies anywhere below the
// folder; the walk never enters one. A folder that cannot be listed may hold one.
bool HoldsLink(const std::wstring& folder) {
  bool found = false;
  const bool listed = ForEachEntry(folder, [&found](const std::wstring& path, DWORD attributes) {
    found = IsLink(attributes) || (IsFolder(attributes) && HoldsLink(path));
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

bool RemoveTree(const std::wstring& folder, Grace& grace, bool linkFree);

// The pass by hand: files deleted or scheduled, links removed as links and
// never listed, real sub-folders removed as a whole, then the folder itself;
// a folder that is a link loses only the link.
bool RemoveByHand(const std::wstring& folder, Grace& grace, bool linkFree) {
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
  ForEachEntry(folder, [&](const std::wstring& path, DWORD attributes) {
    if (IsFolder(attributes) && IsLink(attributes)) {
      RemoveDirectoryW(LongForm(path).c_str());  // the link itself: Windows never follows it here
    } else if (IsFolder(attributes)) {
      RemoveTree(path, grace, linkFree);  // starts over: a shell delete of its own first
    } else {
      DeleteOrSchedule(path, grace);
    }
    return true;
  });
  RemoveDirectoryW(LongForm(folder).c_str());  // never retried or scheduled
  return IsAbsent(folder);
}

// One folder: a shell delete when no link lies below it (the shell may follow
// links), else, or when it fails, the pass by hand. A folder that is itself a
// link loses only the link.
bool RemoveTree(const std::wstring& folder, Grace& grace, bool linkFree) {
  if (folder.empty()) return false;
  const PathLook look = LookAt(folder);
  if (look.absent) return true;
  if (look.CannotLook()) return false;  // it may be there, and nothing in it can be shown to be ours
  if (IsLink(look.attributes)) {
    WriteLog(L"[Delete] The folder is a link: removing the link only: " + folder);
    return RemoveByHand(folder, grace, false);
  }
  linkFree = linkFree || !HoldsLink(folder);
  if (linkFree && ShellDelete(folder)) {
    WriteLog(L"[Delete] SHFileOperation removed: " + folder);
    return true;
  }
  WriteLog(linkFree ? L"[Delete] SHFileOperation failed, fallback RemoveDirectory."
                    : L"[Delete] Links inside, removed by hand without following them: " + folder);
  return RemoveByHand(folder, grace, linkFree);
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
