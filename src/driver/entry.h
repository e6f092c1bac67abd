#pragma once
#include <string>

#include "i18n/messages.h"

// The whole program: takes the process's arguments, returns its exit code.
int RunUninstaller(int argumentCount, wchar_t** argumentVector);

// Shows one of the program's modal boxes: no owner, OK only, the given icon.
// The answer is of no interest; however the box is closed, the run goes on.
void ShowMessage(MessageId id, const std::wstring& caption, unsigned int icon);

// The exit codes a caller can see.
constexpr int kExitRemoved = 0;  // also: the relaunched copy was started
constexpr int kExitNotRemoved = 1;
constexpr int kExitBadCommandLine = 2;
