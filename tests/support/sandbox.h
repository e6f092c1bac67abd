#pragma once
// Helpers shared by the test programs. Every folder a test creates lies on
// the sandbox drive T:, which maps to the build's sandbox folder only.
#include <windows.h>

#include <string>
#include <vector>

// A new, empty folder T:\<name>_<process id>_<counter>, without a trailing
// separator. Nothing is ever deleted to make room for it.
std::wstring MakeSandbox(const std::wstring& name);

bool PathExists(const std::wstring& path);
void MakeFolder(const std::wstring& path);            // with missing parents
void WriteFileText(const std::wstring& path, const std::wstring& text);
std::vector<unsigned char> ReadFileBytes(const std::wstring& path);
std::wstring ReadFileWide(const std::wstring& path);  // UTF-16LE content as is

// The log lines in <tempFolder>\PexloPlayAiUninstall.log, split at CR LF.
std::vector<std::wstring> ReadLogLines(const std::wstring& tempFolder);

// Points TMP and TEMP of this process at a folder while it lives, so that
// the program's log and work folders land there.
struct ScopedTempFolder {
  explicit ScopedTempFolder(const std::wstring& folder);
  ~ScopedTempFolder();
  std::wstring savedTmp, savedTemp;
};

// A handle that keeps a file open without FILE_SHARE_DELETE.
struct HeldFile {
  explicit HeldFile(const std::wstring& path);
  ~HeldFile();
  HANDLE handle;
};

// Registry values under HKEY_CURRENT_USER (or another root).
void SetRegistryDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
void SetRegistryString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value);
bool RegistryValueExists(HKEY root, const std::wstring& key, const std::wstring& name);
bool RegistryKeyExists(HKEY root, const std::wstring& key);
void DeleteRegistryTree(HKEY root, const std::wstring& key);

// The paths listed for deletion at the next restart, and clearing the list.
std::vector<std::wstring> PendingDeletions();
void ClearPendingDeletions();

// Whether one path names the same file as another written differently
// (the pending list holds NT paths such as \??\T:\x).
bool ListsPath(const std::vector<std::wstring>& pending, const std::wstring& path);
