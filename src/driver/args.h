#pragma once
#include <string>

// The value of the first argument (from index 1) that begins with key and
// "=", without one pair of enclosing double quotes; empty when there is none.
std::wstring GetArgValue(int argumentCount, wchar_t** argumentVector, const std::wstring& key);
