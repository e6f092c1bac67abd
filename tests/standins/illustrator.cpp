// Stands in for the host application: a process named Illustrator.exe that
// runs until the file named by its first argument exists (ten minutes at
// most). It keeps the file named by its second argument, if any, open
// meanwhile, as the host keeps files of its extensions open.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  HANDLE held = argc > 2 ? CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                         : INVALID_HANDLE_VALUE;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 600000; Sleep(10)) {
    if (argc > 1 && GetFileAttributesW(argv[1]) != INVALID_FILE_ATTRIBUTES) break;
  }
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  return 0;
}
