// The baseline for the start-up figures: a console program that shows one
// box and nothing else.
//   bench_box.exe            shows the box
//   bench_box.exe relaunch   copies itself to %TEMP%\bench_box_<pid>\ and
//                            starts the copy (which shows the box), then ends:
//                            the least any two-process start can cost
#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace {

bool StartCopyFromTemp() {
  wchar_t own[MAX_PATH] = {};
  wchar_t temp[MAX_PATH] = {};
  if (!GetModuleFileNameW(nullptr, own, MAX_PATH) || !GetTempPathW(MAX_PATH, temp)) return false;
  wchar_t number[16] = {};
  _ultow(GetCurrentProcessId(), number, 10);
  wchar_t folder[MAX_PATH] = {};
  if (std::wcslen(temp) + 40 > MAX_PATH) return false;
  std::wcscat(std::wcscat(std::wcscpy(folder, temp), L"bench_box_"), number);
  CreateDirectoryW(folder, nullptr);
  wchar_t copy[MAX_PATH] = {};
  std::wcscat(std::wcscpy(copy, folder), L"\\bench_box.exe");
  if (!CopyFileW(own, copy, FALSE)) return false;
  wchar_t line[MAX_PATH + 2] = {};
  std::wcscat(std::wcscat(std::wcscpy(line, L"\""), copy), L"\"");
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process)) return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wcscmp(argv[1], L"relaunch") == 0 && StartCopyFromTemp()) return 0;
  MessageBoxW(nullptr, L"One box.", L"Baseline", MB_OK | MB_ICONINFORMATION);
  return 0;
}
