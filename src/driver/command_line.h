#pragma once
#include <string>

#include "common/arguments.h"

// The value of the first argument (from index 1) that begins with key and
// "=", without one pair of enclosing double quotes; empty when there is none.
std::wstring GetArgValue(int argumentCount, wchar_t** argumentVector, const std::wstring& key);

// Every key of the command line, looked up once. A switch is on for 1, true
// or yes in any case; stage counts only as exactly 2; outcome only on the
// copy's line and only as a number.
Arguments ReadArguments(int argumentCount, wchar_t** argumentVector);

// An extension folder (already without trailing separators) that the removal
// may be given: below a drive root or share, plain (see IsPlainPathBelowRoot)
// and within the classic 260-character limit.
bool IsUsableExtensionFolder(const std::wstring& folder);
