#pragma once
#include <string>

#include "common/arguments.h"

// The value of the first argument (from index 1) that begins with key and
// "=", without one pair of enclosing double quotes; empty when there is none.
std::wstring GetArgValue(int argumentCount, wchar_t** argumentVector, const std::wstring& key);

// Every key of the command line, looked up once.
Arguments ReadArguments(int argumentCount, wchar_t** argumentVector);

// A switch is on for 1, true or yes in any case, and off for anything else.
bool IsSwitchOn(const std::wstring& value);
