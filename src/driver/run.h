#pragma once

// The whole program: takes the process's arguments, returns its exit code.
int RunUninstaller(int argumentCount, wchar_t** argumentVector);
