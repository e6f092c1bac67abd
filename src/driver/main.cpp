#include "driver/entry.h"

int wmain(int argumentCount, wchar_t** argumentVector) {
  return RunUninstaller(argumentCount, argumentVector);
}
