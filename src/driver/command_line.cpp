#include "driver/command_line.h"

#include <cstdint>
#include <cwchar>

#include "common/paths.h"

namespace {

bool IsSwitchOn(const std::wstring& value) {
  for (const wchar_t* on : {L"1", L"true", L"yes"}) {
    if (SameNameIgnoringCase(value, on)) return true;
  }
  return false;
}

HANDLE HandleFromText(const std::wstring& text) {
  if (text.empty() || text.find_first_not_of(L"0123456789") != std::wstring::npos) return nullptr;
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::wcstoull(text.c_str(), nullptr, 10)));
}

}  // namespace

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

Arguments ReadArguments(int argumentCount, wchar_t** argumentVector) {
  const auto value = [&](const wchar_t* key) { return GetArgValue(argumentCount, argumentVector, key); };
  Arguments arguments;
  arguments.any = argumentCount >= 2;
  arguments.extensionFolder = TrimTrailingSeparators(value(L"extdir"));
  arguments.lang = value(L"lang");
  arguments.silent = IsSwitchOn(value(L"silent"));
  arguments.wait = IsSwitchOn(value(L"wait"));
  arguments.isCopy = value(L"stage") == L"2";
  if (arguments.isCopy) {
    arguments.launchFolder = TrimTrailingSeparators(value(L"origdir"));
    arguments.outcomePipe = HandleFromText(value(L"outcome"));
  }
  return arguments;
}

bool IsUsableExtensionFolder(const std::wstring& folder) {
  // A root, a relative path or one with "." or ".." would let the removal
  // reach far beyond the extension. A path too long for the classic limit
  // would be reported absent, and so removed, while the folder stays.
  return IsPlainPathBelowRoot(folder) && folder.size() < MAX_PATH;
}
