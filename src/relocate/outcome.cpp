#include "relocate/outcome.h"

#include <cwchar>

#include "common/exit_codes.h"
#include "log/log.h"

bool CreateOutcomePipe(KernelHandle& readEnd, KernelHandle& writeEnd) {
  return CreatePipe(readEnd.put(), writeEnd.put(), nullptr, 0) &&
         SetHandleInformation(writeEnd.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
}

int WaitForCopyOutcome(HANDLE readEnd) {
  DWORD exitCode = 0, read = 0;
  if (ReadFile(readEnd, &exitCode, sizeof(exitCode), &read, nullptr) && read == sizeof(exitCode) &&
      exitCode <= kExitBadCommandLine) {
    WriteLog(L"[Stage1] Exit code from the copy: " + std::to_wstring(exitCode));
    return static_cast<int>(exitCode);
  }
  WriteLog(L"[Stage1] Copy ended without reporting an outcome, exit code: " + std::to_wstring(kExitNotRemoved));
  return kExitNotRemoved;
}

void ReportOutcome(const Arguments& arguments, int exitCode) {
  const std::wstring& text = arguments.outcome;
  if (!arguments.IsCopy() || text.empty() || text.find_first_not_of(L"0123456789") != std::wstring::npos) return;
  const HANDLE pipe = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::wcstoull(text.c_str(), nullptr, 10)));
  // Whatever the line says, only a pipe is written to.
  if (GetFileType(pipe) != FILE_TYPE_PIPE) return;
  const DWORD code = static_cast<DWORD>(exitCode);
  DWORD written = 0;
  WriteFile(pipe, &code, sizeof(code), &written, nullptr);  // a first process that is gone reads nothing
  CloseHandle(pipe);                                        // reported once
}

std::wstring HandleText(HANDLE handle) {
  return std::to_wstring(reinterpret_cast<std::uintptr_t>(handle));
}
