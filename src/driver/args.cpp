#include "driver/args.h"

std::wstring GetArgValue(int argumentCount, wchar_t** argumentVector, const std::wstring& key) {
  const std::wstring prefix = key + L"=";
  for (int index = 1; index < argumentCount; ++index) {
    const std::wstring argument = argumentVector[index];
    if (argument.compare(0, prefix.size(), prefix) != 0) continue;
    std::wstring value = argument.substr(prefix.size());
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return L"";
}
