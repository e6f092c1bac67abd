// Writes the arguments it was given (index 1 on), each followed by a NUL, as
// UTF-16LE to the file named by the environment variable ARGV_ECHO_OUT.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  wchar_t out[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"ARGV_ECHO_OUT", out, MAX_PATH)) return 1;
  std::wstring all;
  for (int i = 1; i < argc; ++i) {
    all += argv[i];
    all.push_back(L'\0');
  }
  HANDLE file = CreateFileW(out, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  WriteFile(file, all.data(), static_cast<DWORD>(all.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
