#pragma once
#include <string>

// Folder paths carry no trailing separator from the moment they are read;
// JoinPath puts the one separator between a folder and a name.

// The path without any trailing backslashes and slashes.
std::wstring TrimTrailingSeparators(const std::wstring& path);

// folder\name; the name alone when the folder is empty.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// The last component of a path, and everything before it (without the
// separator between them): C:\a\u.exe gives u.exe and C:\a.
std::wstring FileNameOf(const std::wstring& path);
std::wstring FolderOf(const std::wstring& path);

// The path as Windows' file calls take it whatever its length and its names:
// an absolute path in the \\?\ form, which goes to the file system as it is
// written. So it reaches past the classic limit, and names that the plain
// form reads as others: aux.js or con.txt (devices), a name ending in a dot
// or a space (cut off). Slashes and doubled separators are resolved first;
// . and .. are not, and the program's paths have none (the extdir by its
// check, the others as the system gives them). Anything but an absolute
// path stays as it is.
std::wstring LongForm(const std::wstring& path);

// Names compared as Windows compares file names: ordinal, ignoring case.
bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b);

// What the system says of a path. It is absent only when the system says it
// is not there (not found, or a folder on the way missing); any other failure
// to look, access denied among them, means that it may be there.
struct PathLook {
  static constexpr unsigned long kNoAttributes = 0xFFFFFFFF;  // INVALID_FILE_ATTRIBUTES
  bool absent = false;
  unsigned long attributes = kNoAttributes;
  unsigned long error = 0;  // why the attributes could not be read
  // There, and its attributes could be read.
  bool Exists() const { return attributes != kNoAttributes; }
  // Neither there nor absent: it may be there, but it cannot be looked at.
  bool CannotLook() const { return !absent && !Exists(); }
};
PathLook LookAt(const std::wstring& path);
inline bool IsAbsent(const std::wstring& path) { return LookAt(path).absent; }
inline bool Exists(const std::wstring& path) { return LookAt(path).Exists(); }

// The root of an absolute path, with its separator: C:\ or \\server\share\;
// empty for any other path.
std::wstring RootOf(const std::wstring& path);

// Creates the folder and any missing folders above it. True when it (or a
// file of that name) may exist afterwards; false, creating nothing, for a
// path of 260 characters or more.
bool CreateDirectoryTree(const std::wstring& path);

// The user's temporary folder, or empty when it cannot be read whole: a
// cut-off path would name another folder.
std::wstring GetTempFolder();

// The system folder (C:\Windows\System32), or empty when it cannot be read whole.
std::wstring GetSystemFolder();

// The path as the system names it: absolute, backslashes only, no . or ..,
// long names for short ones where it exists; without trailing separators.
// As it was given when the system cannot tell.
std::wstring NormalisedPath(const std::wstring& path);

// Whether path is folder or lies below it; both normalised.
bool IsInsideFolder(const std::wstring& path, const std::wstring& folder);

// Full path of the running executable, or empty when it cannot be read whole
// into a classic 260-character buffer.
std::wstring GetOwnPath();

// True for an absolute path that names something below a drive root or below
// a UNC share (C:\a, \\srv\share\a), each of whose components names a plain
// file or folder: no "." or "..", no component that Windows would silently
// shorten (trailing dot or blank) or take for a device (CON, NUL.txt, COM1,
// COM¹, CONIN$, ...), and no wildcard or other character that is not allowed
// in a file name.
bool IsPlainPathBelowRoot(const std::wstring& path);
