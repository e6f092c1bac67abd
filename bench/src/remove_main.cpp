// Removes one folder with the program's own removal code, in a process of
// its own so that it is started and timed like `cmd /c rd /s /q`:
//   bench_remove.exe manual <folder>   the pass by hand (RemoveFolderByHand)
//   bench_remove.exe shell <folder>    the whole removal (RemoveExtensionDir),
//                                      whose first step is the shell delete
// Exit code 0 when the folder is gone, 1 when it is not, 2 for a bad line.
#include <cwchar>

#include "removal/folder_removal.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  if (std::wcscmp(argv[1], L"manual") == 0) return RemoveFolderByHand(argv[2]) ? 0 : 1;
  if (std::wcscmp(argv[1], L"shell") == 0) return RemoveExtensionDir(argv[2]) ? 0 : 1;
  return 2;
}
