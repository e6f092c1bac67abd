#include "log/log.h"

#include <windows.h>

#include "common/handles.h"

void WriteLog(const std::wstring& line) {
  wchar_t tempFolder[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, tempFolder);
  // Without a usable temporary folder the bare file name resolves against the
  // current folder.
  if (length == 0 || length >= MAX_PATH) tempFolder[0] = L'\0';
  const std::wstring logPath = std::wstring(tempFolder) + L"PexloPlayAiUninstall.log";

  FileHandle file(CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return;

  // Line and terminator go out in one write so that they never come apart.
  const std::wstring record = line + L"\r\n";
  DWORD written = 0;
  WriteFile(file.value, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written,
            nullptr);  // a short or failed write is of no consequence to the run
}
