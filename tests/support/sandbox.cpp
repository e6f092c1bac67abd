#include "sandbox.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

namespace {

const wchar_t kPendingKey[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";

std::wstring GetVariable(const wchar_t* name) {
  wchar_t value[32768] = {};
  return GetEnvironmentVariableW(name, value, 32768) ? value : L"";
}

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring MakeSandbox(const std::wstring& name) {
  static int counter = 0;
  const std::wstring path = L"T:\\" + name + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++counter);
  MakeFolder(path);
  return path;
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeFolder(const std::wstring& path) {
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  }
  ASSERT_TRUE(PathExists(path)) << "cannot create folder";
}

void WriteFileText(const std::wstring& path, const std::wstring& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create file, error " << GetLastError();
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
}

std::vector<unsigned char> ReadFileBytes(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  unsigned char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  CloseHandle(file);
  return bytes;
}

std::wstring ReadFileWide(const std::wstring& path) {
  const std::vector<unsigned char> bytes = ReadFileBytes(path);
  std::wstring text(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return text;
}

std::vector<std::wstring> ReadLogLines(const std::wstring& tempFolder) {
  const std::wstring text = ReadFileWide(tempFolder + L"\\PexloPlayAiUninstall.log");
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));  // an unterminated tail shows up
  return lines;
}

ScopedTempFolder::ScopedTempFolder(const std::wstring& folder)
    : savedTmp(GetVariable(L"TMP")), savedTemp(GetVariable(L"TEMP")) {
  SetEnvironmentVariableW(L"TMP", folder.c_str());
  SetEnvironmentVariableW(L"TEMP", folder.c_str());
}

ScopedTempFolder::~ScopedTempFolder() {
  SetEnvironmentVariableW(L"TMP", savedTmp.c_str());
  SetEnvironmentVariableW(L"TEMP", savedTemp.c_str());
}

HeldFile::HeldFile(const std::wstring& path)
    : handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {
  EXPECT_NE(handle, INVALID_HANDLE_VALUE) << "cannot hold file open";
}

HeldFile::~HeldFile() {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

void SetRegistryDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
  ASSERT_EQ(RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_DWORD, &value, sizeof(value)), ERROR_SUCCESS);
}

void SetRegistryString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  ASSERT_EQ(RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

bool RegistryValueExists(HKEY root, const std::wstring& key, const std::wstring& name) {
  return RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool RegistryKeyExists(HKEY root, const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

void DeleteRegistryTree(HKEY root, const std::wstring& key) { RegDeleteTreeW(root, key.c_str()); RegDeleteKeyW(root, key.c_str()); }

std::vector<std::wstring> PendingDeletions() {
  std::vector<std::wstring> paths;
  DWORD size = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kPendingKey, kPendingValue, RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &size) !=
      ERROR_SUCCESS)
    return paths;
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  RegGetValueW(HKEY_LOCAL_MACHINE, kPendingKey, kPendingValue, RRF_RT_REG_MULTI_SZ, nullptr, &data[0], &size);
  // Pairs of (source, target); an empty target means delete.
  for (size_t start = 0; start < data.size() && data[start] != L'\0';) {
    const std::wstring entry = data.c_str() + start;
    paths.push_back(entry);
    start += entry.size() + 1;
    const std::wstring target = data.c_str() + start;
    start += target.size() + 1;
  }
  return paths;
}

void ClearPendingDeletions() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPendingKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, kPendingValue);
  RegCloseKey(key);
}

bool ListsPath(const std::vector<std::wstring>& pending, const std::wstring& path) {
  for (const std::wstring& entry : pending) {
    if (EqualsIgnoringCase(entry, path) || EqualsIgnoringCase(entry, L"\\??\\" + path)) return true;
  }
  return false;
}
