#include "relocate/outcome.h"

#include <string>

#include "common/decimal.h"
#include "common/exit_codes.h"
#include "log/log.h"

bool CreateOutcomePipe(KernelHandle& readEnd, KernelHandle& writeEnd) {
  return CreatePipe(readEnd.put(), writeEnd.put(), nullptr, 0) &&
         SetHandleInformation(writeEnd.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
}

int ReadCopyOutcome(HANDLE readEnd) {
  DWORD exitCode = 0, read = 0;
  if (ReadFile(readEnd, &exitCode, sizeof(exitCode), &read, nullptr) && read == sizeof(exitCode) &&
      exitCode <= kExitBadCommandLine) {
    WriteLog(L"[Stage1] Exit code from the copy: " + Decimal(exitCode));
    return static_cast<int>(exitCode);
  }
  WriteLog(L"[Stage1] Copy ended without reporting an outcome, exit code: " + Decimal(kExitNotRemoved));
  return kExitNotRemoved;
}

void ReportOutcome(HANDLE pipe, int exitCode) {
  if (!pipe || GetFileType(pipe) != FILE_TYPE_PIPE) return;
  const DWORD code = static_cast<DWORD>(exitCode);
  DWORD written = 0;
  WriteFile(pipe, &code, sizeof(code), &written, nullptr);  // a first process that is gone reads nothing
  CloseHandle(pipe);                                        // the first process sees the end at once
}
