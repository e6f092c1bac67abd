// Stands in for the host application: a process named Illustrator.exe that
// runs until the file named by its first argument exists (or for ten
// minutes when started without one). With a second argument it keeps that
// file open meanwhile, as the host keeps files of its extensions open.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  HANDLE held = INVALID_HANDLE_VALUE;
  if (argc > 2) held = CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 600000) {
    if (argc > 1 && GetFileAttributesW(argv[1]) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(10);
  }
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  return 0;
}
