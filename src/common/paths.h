#pragma once
#include <string>

// The path with one backslash appended, unless it is empty or already ends
// in a backslash or a slash.
std::wstring EnsureTrailingSeparator(const std::wstring& path);

// The path without any trailing backslashes and slashes.
std::wstring TrimTrailingSeparators(const std::wstring& path);

// What the system says of a path. It is absent only when the system says it
// is not there (not found, or a folder on the way missing); any other failure
// to look, access denied among them, means that it may be there.
struct PathLook {
  bool absent = false;
  unsigned long attributes = 0xFFFFFFFF;  // INVALID_FILE_ATTRIBUTES when it could not be looked at
  bool Seen() const { return attributes != 0xFFFFFFFF; }
};
PathLook LookAt(const std::wstring& path);
inline bool IsAbsent(const std::wstring& path) { return LookAt(path).absent; }

// The user's temporary folder with its trailing separator, or empty when it
// cannot be read whole: a cut-off path would name another folder.
std::wstring GetTempFolder();

// Full path of the running executable, or empty when it cannot be read whole
// into a classic 260-character buffer.
std::wstring GetOwnPath();

// True for an absolute path that names something below a drive root or below
// a UNC share (C:\a, \\srv\share\a), with no "." or ".." component, no
// component that Windows would silently shorten (trailing dot or blank) or
// take for a device (CON, NUL.txt, COM1, COM¹, CONIN$, ...), and no wildcard
// or other character that is not allowed in a file name.
bool IsFolderBelowRoot(const std::wstring& path);
