#include <windows.h>

#include "driver/entry.h"

int wmain(int argumentCount, wchar_t** argumentVector) {
  // First of all: DLLs loaded from now on come from the system folder only,
  // never from the launch or work folder, where another DLL may lie in wait.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  return RunUninstaller(argumentCount, argumentVector);
}
