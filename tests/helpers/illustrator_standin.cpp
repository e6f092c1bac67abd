// Stands in for the host application: a process named Illustrator.exe that
// runs until the file named by its first argument exists (or for ten
// minutes when started without one).
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 600000) {
    if (argc > 1 && GetFileAttributesW(argv[1]) != INVALID_FILE_ATTRIBUTES) return 0;
    Sleep(10);
  }
  return 0;
}
