#include "removal/folder_removal.h"

#include <windows.h>
#include <shellapi.h>

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

}  // namespace

void DeleteOrScheduleFile(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // may fail; the deletion tells
  if (DeleteFileW(path.c_str())) return;
  const DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
    // Refused for a standard user on Windows; the file then simply stays.
    MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

bool RemoveFolderByHand(const std::wstring& folder) {
  const PathLook look = LookAt(folder);
  if (look.absent) return true;
  if (look.CannotLook()) return false;  // what cannot be looked at is left alone
  if (IsLink(look.attributes)) {
    RemoveDirectoryW(folder.c_str());
    return IsAbsent(folder);
  }
  // Windows refuses to remove a read-only folder (Explorer marks customised
  // folders so), and under Wine it stands for a folder closed to writing.
  if (look.attributes & FILE_ATTRIBUTE_READONLY) {
    const DWORD kept = look.attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
    SetFileAttributesW(folder.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);  // the final look judges
  }
  {
    WIN32_FIND_DATAW entry = {};
    FindHandle listing(FindFirstFileW(JoinPath(folder, L"*").c_str(), &entry));
    if (listing) {
      do {
        const std::wstring name = entry.cFileName, path = JoinPath(folder, name);
        if (name == L"." || name == L"..") continue;
        const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // Results are ignored here: the folder's own final look judges.
        if (isFolder && IsLink(entry.dwFileAttributes)) {
          RemoveDirectoryW(path.c_str());  // the link itself, never listed, so nothing behind it is touched
        } else if (isFolder) {
          RemoveExtensionDir(path);  // starts over: a shell delete of its own first
        } else {
          DeleteOrScheduleFile(path);
        }
      } while (FindNextFileW(listing.get(), &entry));
    }
  }
  RemoveDirectoryW(folder.c_str());  // never retried or scheduled
  return IsAbsent(folder);
}

bool RemoveExtensionDir(const std::wstring& folder) {
  if (folder.empty()) return false;
  const PathLook look = LookAt(folder);
  if (look.absent) return true;
  if (look.CannotLook()) return false;  // it may be there, and nothing in it can be shown to be ours
  if (ShellDelete(folder)) {
    WriteLog(L"[Delete] SHFileOperation removed: " + folder);
    return true;
  }
  WriteLog(L"[Delete] SHFileOperation failed, fallback RemoveDirectory.");
  return RemoveFolderByHand(folder);
}
