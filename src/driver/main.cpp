#include <windows.h>

#include "driver/run.h"

int wmain(int argumentCount, wchar_t** argumentVector) {
  // First of all: DLLs loaded from now on come from the system folder only,
  // never from the launch or work folder, where another DLL may lie in wait.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Started from Explorer or a shortcut, the program has a console window of
  // its own, which would stay open and empty behind the boxes: it is given
  // back at once. A console shared with the caller (cmd, an installer) stays.
  DWORD consoleProcesses[2] = {};
  if (GetConsoleProcessList(consoleProcesses, 2) == 1) FreeConsole();
  return RunUninstaller(argumentCount, argumentVector);
}
