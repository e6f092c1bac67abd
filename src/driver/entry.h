#pragma once
#include <string>

// An extdir value that the removal may be given: not empty, and without its
// trailing separators a folder below a drive root or share (see
// IsFolderBelowRoot) within the classic 260-character limit.
bool IsUsableExtdir(const std::wstring& value);

// The whole program: takes the process's arguments, returns its exit code.
int RunUninstaller(int argumentCount, wchar_t** argumentVector);
