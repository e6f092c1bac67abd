// Windows' timeout command, which Wine lacks, for the build's prefix
// (tools/wine/start.sh puts it into the system folder): waits the seconds
// after /t, as the program's work-folder helper pauses with it.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  for (int index = 1; index + 1 < argc; ++index) {
    if (_wcsicmp(argv[index], L"/t") == 0) Sleep(static_cast<DWORD>(_wtoi(argv[index + 1])) * 1000);
  }
  return 0;
}
