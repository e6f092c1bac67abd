#include "relocate/copy_line.h"

#include <cstdint>

#include "common/decimal.h"
#include "common/names.h"
#include "common/paths.h"

namespace {

// The copy takes one pair of enclosing quotes off a value, as this process
// did: a value that still has such a pair gets one more, so that the copy
// ends up with the very same value ("zh" stays "zh").
std::wstring ValueForCopy(const std::wstring& value) {
  return QuoteArgument(HasEnclosingQuotes(value) ? L"\"" + value + L"\"" : value);
}

}  // namespace

std::wstring QuoteArgument(const std::wstring& value) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : value) {
    if (c == L'\\') {
      ++backslashes;
    } else if (c == L'"') {
      quoted.append(backslashes + 1, L'\\');  // double the run, escape the quote
      backslashes = 0;
    } else {
      backslashes = 0;
    }
    quoted.push_back(c);
  }
  quoted.append(backslashes, L'\\');  // a final run must not escape the closing quote
  quoted.push_back(L'"');
  return quoted;
}

std::wstring BuildRelaunchLine(const std::wstring& copyPath, const std::wstring& launchFolder,
                               const Arguments& arguments, HANDLE outcomePipe) {
  std::wstring line = QuoteArgument(copyPath);
  line += L" extdir=" + ValueForCopy(arguments.extensionFolder);
  line += L" stage=2";
  line += L" origdir=" + ValueForCopy(launchFolder);
  if (!arguments.lang.empty()) line += L" lang=" + ValueForCopy(arguments.lang);
  if (arguments.silent) line += L" silent=\"1\"";
  if (outcomePipe) line += L" outcome=" + QuoteArgument(Decimal(reinterpret_cast<std::uintptr_t>(outcomePipe)));
  return line;
}

std::wstring WorkFoldersHome(const std::wstring& tempFolder) { return JoinPath(tempFolder, kWorkFolderName); }

std::wstring WorkFolderPath(const std::wstring& tempFolder, unsigned long processId, unsigned long tickCount) {
  return JoinPath(WorkFoldersHome(tempFolder), Decimal(processId) + L"_" + Decimal(tickCount));
}
