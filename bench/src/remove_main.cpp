// Removes one folder with the program's own removal code, in a process of
// its own so that it is started and timed like `cmd /c rd /s /q`:
//   bench_remove.exe manual <folder>   the pass by hand (RemoveFolderByHand)
//   bench_remove.exe shell <folder>    the whole removal (RemoveExtensionDir),
//                                      whose first step is the shell delete
// Prints "inproc <mode> <milliseconds>" for the call alone; the exit code is
// 0 when the folder is gone, 1 when it is not, 2 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "removal/folder_removal.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const std::wstring mode = argv[1];
  const std::wstring folder = argv[2];
  if (mode != L"manual" && mode != L"shell") return 2;

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const bool removed = mode == L"manual" ? RemoveFolderByHand(folder) : RemoveExtensionDir(folder);
  QueryPerformanceCounter(&end);

  const double milliseconds = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                              static_cast<double>(frequency.QuadPart);
  std::printf("inproc %ls %.3f\n", mode.c_str(), milliseconds);
  std::fflush(stdout);
  return removed ? 0 : 1;
}
