#pragma once
#include <string>

#include "i18n/messages.h"

// What the command line asks for, decided before anything is shown, logged
// or touched.
struct ArgumentCheck {
  bool accepted = false;
  MessageId refusal = MessageId::Usage;  // the error box when not accepted
  std::wstring extensionFolder;          // trailing separators trimmed
  std::wstring langValue;                // as given, possibly empty
};

// Accepts a command line that names a usable extension folder; refuses one
// without arguments (Usage) or without such a folder (MissingExtDir).
ArgumentCheck CheckArguments(int argumentCount, wchar_t** argumentVector);

// The whole program: takes the process's arguments, returns its exit code.
int RunUninstaller(int argumentCount, wchar_t** argumentVector);

// Shows one of the program's modal boxes: no owner, OK only, the given icon.
// The answer is of no interest; however the box is closed, the run goes on.
void ShowMessage(MessageId id, const std::wstring& caption, unsigned int icon);

// The exit codes a caller can see.
constexpr int kExitRemoved = 0;  // also: the relaunched copy was started
constexpr int kExitNotRemoved = 1;
constexpr int kExitBadCommandLine = 2;
