#pragma once
#include <cstdlib>
#include <string>

// A number in decimal digits, by the C runtime's own conversion: std::to_wstring
// would link a whole printf (ten kilobytes) into a program that has no other use for it.
inline std::wstring Decimal(unsigned long long value) {
  wchar_t digits[24] = {};
  _ui64tow(value, digits, 10);
  return digits;
}
