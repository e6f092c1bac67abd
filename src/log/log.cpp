#include "log/log.h"

#include <windows.h>

#include "common/handles.h"
#include "common/names.h"
#include "common/paths.h"

void WriteLog(const std::wstring& line) {
  // Without a usable temporary folder the bare file name resolves against the
  // current folder.
  const std::wstring logPath = JoinPath(GetTempFolder(), kLogFileName);

  // Append access only, and other writers admitted: both processes of a run,
  // and runs side by side, write at the same time. Each record goes out in
  // one write, which the system places whole at the end of the file.
  FileHandle file(CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;

  const std::wstring record = line + L"\r\n";
  DWORD written = 0;
  WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written,
            nullptr);  // a short or failed write is of no consequence to the run
}
