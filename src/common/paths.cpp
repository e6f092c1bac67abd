#include "common/paths.h"

#include <windows.h>

#include <vector>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// CON, NUL, COM1, CONIN$ and the like, also with an extension ("nul.txt"):
// Windows takes such a name for a device wherever it stands in a path. The
// superscript digits count as digits there (COM¹, LPT²).
bool IsDeviceName(const std::wstring& name) {
  std::wstring base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
    if (SameNameIgnoringCase(base, device)) return true;
  }
  const std::wstring digits = L"123456789\u00b9\u00b2\u00b3";
  return base.size() == 4 && (SameNameIgnoringCase(base.substr(0, 3), L"COM") || SameNameIgnoringCase(base.substr(0, 3), L"LPT")) &&
         digits.find(base[3]) != std::wstring::npos;
}

bool IsPlainComponent(const std::wstring& name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  // Windows drops trailing dots and blanks, so "a." or "..." would name
  // another folder than the one written; a device name names no folder.
  if (name.back() == L'.' || name.back() == L' ' || IsDeviceName(name)) return false;
  for (wchar_t c : name) {
    if (c < 0x20 || std::wstring(L"<>:\"|?*").find(c) != std::wstring::npos) return false;
  }
  return true;
}

// Splits at runs of separators; empty pieces between doubled separators vanish.
std::vector<std::wstring> SplitComponents(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring current;
  for (wchar_t c : path) {
    if (IsSeparator(c)) {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

size_t LastSeparator(const std::wstring& path) { return path.find_last_of(L"\\/"); }

}  // namespace

std::wstring TrimTrailingSeparators(const std::wstring& path) {
  std::wstring trimmed = path;
  while (!trimmed.empty() && IsSeparator(trimmed.back())) trimmed.pop_back();
  return trimmed;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  return folder.empty() ? name : folder + L"\\" + name;
}

std::wstring FileNameOf(const std::wstring& path) {
  const size_t separator = LastSeparator(path);
  return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t separator = LastSeparator(path);
  return separator == std::wstring::npos ? L"" : TrimTrailingSeparators(path.substr(0, separator));
}

std::wstring LongForm(const std::wstring& path) {
  const std::wstring root = RootOf(path);
  if (root.empty() || path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\\\.\\") == 0) return path;
  const std::vector<std::wstring> names = SplitComponents(path.substr(2));
  std::wstring form = root.size() == 3 ? L"\\\\?\\" + root.substr(0, 2) : L"\\\\?\\UNC";
  for (const std::wstring& name : names) form += L"\\" + name;
  // A root (a share's has its server and name) names its folder with the separator.
  return names.size() == (root.size() == 3 ? 0u : 2u) ? form + L"\\" : form;
}

bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

PathLook LookAt(const std::wstring& path) {
  PathLook look;
  look.attributes = GetFileAttributesW(LongForm(path).c_str());
  if (!look.Exists()) {
    look.error = GetLastError();
    look.absent = look.error == ERROR_FILE_NOT_FOUND || look.error == ERROR_PATH_NOT_FOUND;
  }
  return look;
}

bool CreateDirectoryTree(const std::wstring& path) {
  const std::wstring folder = TrimTrailingSeparators(path);
  // Cut to the classic limit, the path would name another folder.
  if (folder.empty() || folder.size() >= MAX_PATH) return false;
  if (!IsAbsent(folder)) return true;  // or may be: what uses it will tell

  for (size_t index = 0; index < folder.size(); ++index) {
    if (!IsSeparator(folder[index])) continue;
    const std::wstring parent = folder.substr(0, index);
    if (!parent.empty() && IsAbsent(parent)) {
      CreateDirectoryW(parent.c_str(), nullptr);  // the last step below decides
    }
  }
  return CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
}

std::wstring GetTempFolder() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, buffer);
  if (length == 0 || length >= MAX_PATH) return L"";
  return TrimTrailingSeparators(buffer);
}

std::wstring GetSystemFolder() {
  wchar_t buffer[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"";
  return std::wstring(buffer, length);
}

std::wstring NormalisedPath(const std::wstring& path) {
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD fullLength = full.empty() ? 0 : GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (fullLength == 0 || fullLength >= full.size()) return TrimTrailingSeparators(path);
  full.resize(fullLength);
  std::wstring longName(GetLongPathNameW(full.c_str(), nullptr, 0), L'\0');
  const DWORD longLength =
      longName.empty() ? 0 : GetLongPathNameW(full.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
  if (longLength == 0 || longLength >= longName.size()) return TrimTrailingSeparators(full);  // not there: as written
  longName.resize(longLength);
  return TrimTrailingSeparators(longName);
}

bool IsInsideFolder(const std::wstring& path, const std::wstring& folder) {
  return !folder.empty() && path.size() >= folder.size() && SameNameIgnoringCase(path.substr(0, folder.size()), folder) &&
         (path.size() == folder.size() || path[folder.size()] == L'\\');
}

std::wstring GetOwnPath() {
  wchar_t buffer[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"";
  return std::wstring(buffer, length);
}

std::wstring RootOf(const std::wstring& path) {
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) return path.substr(0, 2) + L"\\";
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return L"";
  const std::vector<std::wstring> components = SplitComponents(path.substr(2));
  return components.size() < 2 ? L"" : L"\\\\" + components[0] + L"\\" + components[1] + L"\\";
}

bool IsPlainPathBelowRoot(const std::wstring& path) {
  std::vector<std::wstring> components;
  size_t rootComponents = 0;  // components that make up the root itself
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) {
    components = SplitComponents(path.substr(3));
  } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    components = SplitComponents(path.substr(2));
    rootComponents = 2;  // server and share
  } else {
    return false;  // relative, drive-relative or rooted without a drive
  }
  if (components.size() <= rootComponents) return false;
  for (const std::wstring& name : components) {
    if (!IsPlainComponent(name)) return false;
  }
  return true;
}
