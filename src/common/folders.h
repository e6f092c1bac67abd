#pragma once
#include <windows.h>

#include <string>

#include "common/handles.h"
#include "common/paths.h"

// A link to a folder or a file, or a junction: never entered.
inline bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
inline bool IsFolder(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// Calls visit(path, name, attributes) for each entry of the folder ("." and
// ".." left out) until it returns false; false when the folder cannot be
// listed. An empty path names no folder (not the current one).
template <typename Visit>
bool ForEachEntry(const std::wstring& folder, Visit visit) {
  if (folder.empty()) return false;
  WIN32_FIND_DATAW entry = {};
  FindHandle listing(FindFirstFileW(LongForm(JoinPath(folder, L"*")).c_str(), &entry));
  if (!listing) return false;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L".." && !visit(JoinPath(folder, name), name, entry.dwFileAttributes)) break;
  } while (FindNextFileW(listing.get(), &entry));
  return true;
}
