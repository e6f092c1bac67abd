// The baseline of the start-up figures: the smallest console program that
// shows one box, linked like the release .exe.
//   bench_box.exe [silent] [relaunch]
// "silent" skips the box, so that it can run unattended. "relaunch" copies
// the .exe to %TEMP%\bench_box_<pid>\, starts the copy there (with the flag
// the program starts its copy with, "silent" passed on) and waits for its
// end: the least any two-process start can cost.
#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace {

bool RunCopyFromTemp(bool silent) {
  wchar_t own[MAX_PATH] = {}, folder[MAX_PATH] = {}, copy[MAX_PATH] = {}, line[MAX_PATH + 10] = {};
  const DWORD length = GetTempPathW(MAX_PATH - 40, folder);  // room for the rest
  if (!GetModuleFileNameW(nullptr, own, MAX_PATH) || length == 0 || length >= MAX_PATH - 40) return false;
  _ultow(GetCurrentProcessId(), std::wcscat(folder, L"bench_box_") + std::wcslen(folder), 10);
  CreateDirectoryW(folder, nullptr);
  std::wcscat(std::wcscpy(copy, folder), L"\\bench_box.exe");
  if (!CopyFileW(own, copy, FALSE)) return false;
  std::wcscat(std::wcscat(std::wcscat(std::wcscpy(line, L"\""), copy), L"\""), silent ? L" silent" : L"");
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, folder, &startup, &process)) {
    return false;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  bool silent = false, relaunch = false;
  for (int index = 1; index < argc; ++index) {
    silent = silent || std::wcscmp(argv[index], L"silent") == 0;
    relaunch = relaunch || std::wcscmp(argv[index], L"relaunch") == 0;
  }
  if (relaunch) return RunCopyFromTemp(silent) ? 0 : 1;
  if (!silent) MessageBoxW(nullptr, L"One box.", L"Baseline", MB_OK | MB_ICONINFORMATION);
  return 0;
}
