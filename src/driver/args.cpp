#include "driver/args.h"

#include <cwchar>

std::wstring GetArgValue(int argumentCount, wchar_t** argumentVector, const std::wstring& key) {
  const std::wstring prefix = key + L"=";
  for (int index = 1; index < argumentCount; ++index) {
    const std::wstring argument = argumentVector[index];
    if (argument.compare(0, prefix.size(), prefix) != 0) continue;
    const std::wstring value = argument.substr(prefix.size());
    return HasEnclosingQuotes(value) ? value.substr(1, value.size() - 2) : value;
  }
  return L"";
}

bool IsSwitchOn(const std::wstring& value) {
  for (const wchar_t* on : {L"1", L"true", L"yes"}) {
    if (_wcsicmp(value.c_str(), on) == 0) return true;
  }
  return false;
}

Arguments ReadArguments(int argumentCount, wchar_t** argumentVector) {
  const auto value = [&](const wchar_t* key) { return GetArgValue(argumentCount, argumentVector, key); };
  Arguments arguments;
  arguments.any = argumentCount >= 2;
  arguments.extdir = value(L"extdir");
  arguments.lang = value(L"lang");
  arguments.stage = value(L"stage");
  arguments.origdir = value(L"origdir");
  arguments.outcome = value(L"outcome");
  arguments.silent = IsSwitchOn(value(L"silent"));
  arguments.wait = IsSwitchOn(value(L"wait"));
  return arguments;
}
