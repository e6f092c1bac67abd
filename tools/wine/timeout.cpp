// Windows' timeout command, which Wine lacks, for the build's prefix
// (tools/wine/start.sh puts it into the system folder): waits the seconds
// after /t, as the program's work-folder helper pauses with it. Like
// Windows' own, it does not wait when its standard input is not a console
// (a pipe, a file, NUL): it says so and ends at once with 1.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  DWORD mode = 0;
  if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) {
    std::fputws(L"ERROR: Input redirection is not supported, exiting the process immediately.\n", stderr);
    return 1;
  }
  for (int index = 1; index + 1 < argc; ++index) {
    if (_wcsicmp(argv[index], L"/t") == 0) Sleep(static_cast<DWORD>(_wtoi(argv[index + 1])) * 1000);
  }
  return 0;
}
