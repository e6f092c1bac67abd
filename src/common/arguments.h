#pragma once
#include <windows.h>

#include <string>

// A value of two characters or more that begins and ends with a double quote:
// the lookup of a value takes one such pair off.
inline bool HasEnclosingQuotes(const std::wstring& value) {
  return value.size() >= 2 && value.front() == L'"' && value.back() == L'"';
}

// What a run takes from its command line, read once.
struct Arguments {
  bool any = false;              // anything on the line besides the program's path
  std::wstring extensionFolder;  // extdir, without trailing separators
  std::wstring lang;             // as given; the language is resolved from it
  bool silent = false;           // silent=1: no message box in either process
  bool wait = false;             // wait=1: the first process ends with the removal's outcome
  // Only on the relaunched copy's line:
  bool isCopy = false;           // stage=2
  std::wstring launchFolder;     // origdir, without trailing separators
  HANDLE outcomePipe = nullptr;  // outcome=<handle>: where a waiting first process reads the outcome
};
