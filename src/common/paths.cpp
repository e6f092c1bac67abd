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
  for (wchar_t& c : base) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 0x20);
  }
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
    if (base == device) return true;
  }
  const std::wstring digits = L"123456789\u00b9\u00b2\u00b3";
  return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
         digits.find(base[3]) != std::wstring::npos;
}

bool IsAcceptableComponent(const std::wstring& name) {
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

}  // namespace

std::wstring EnsureTrailingSeparator(const std::wstring& path) {
  if (path.empty() || IsSeparator(path.back())) return path;
  return path + L"\\";
}

std::wstring TrimTrailingSeparators(const std::wstring& path) {
  std::wstring trimmed = path;
  while (!trimmed.empty() && IsSeparator(trimmed.back())) trimmed.pop_back();
  return trimmed;
}

PathLook LookAt(const std::wstring& path) {
  PathLook look;
  look.attributes = GetFileAttributesW(path.c_str());
  if (!look.Seen()) {
    const DWORD error = GetLastError();
    look.absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  return look;
}

std::wstring GetTempFolder() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, buffer);
  if (length == 0 || length >= MAX_PATH) return L"";
  return buffer;
}

std::wstring GetOwnPath() {
  wchar_t buffer[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"";
  return std::wstring(buffer, length);
}

bool IsFolderBelowRoot(const std::wstring& path) {
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
    if (!IsAcceptableComponent(name)) return false;
  }
  return true;
}
