#pragma once
#include <string>

// A value of two characters or more that begins and ends with a double quote:
// GetArgValue takes one such pair off.
inline bool HasEnclosingQuotes(const std::wstring& value) {
  return value.size() >= 2 && value.front() == L'"' && value.back() == L'"';
}

// The command line, read once. Each value is what GetArgValue looks up for
// its key: empty when the key is absent.
struct Arguments {
  bool any = false;       // anything on the line besides the program's path
  std::wstring extdir;    // as given, trailing separators and all
  std::wstring lang;      // as given; the language is resolved from it
  std::wstring stage;     // "2" only on the relaunched copy's line
  std::wstring origdir;   // the launch folder, on the copy's line
  std::wstring outcome;   // the copy's line with wait=1: the pipe to report through
  bool silent = false;    // silent=1: no message box in either process
  bool wait = false;      // wait=1: the first process ends with the removal's outcome

  bool IsCopy() const { return stage == L"2"; }
};
