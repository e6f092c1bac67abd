#pragma once
// Hostile command lines for the program, and a model of what must become of
// them: the runtime's splitting into arguments and the program's verdict.
#include <random>
#include <string>
#include <vector>

// Splits what follows the program name on a command line into arguments, by
// the C runtime's rules (blanks and tabs separate outside quotes; quotes
// group and vanish; 2n backslashes before a quote give n and the quote
// groups, 2n+1 give n and a literal quote; "" inside quotes is a literal
// quote). A check against the real runtime keeps this honest.
std::vector<std::wstring> SplitArguments(const std::wstring& arguments);

// A whole command line: the program name (quoted or not) and its arguments.
std::vector<std::wstring> SplitCommandLine(const std::wstring& line);

// The folders a generated line may name.
struct LineTargets {
  std::wstring extension;  // what the line means to remove
  std::wstring decoy;      // given under keys that are not extdir=, or later
  std::wstring launch;     // given as origdir=
};

// The arguments of one generated line (without the program name), at most
// maxLength characters: key=value pairs quoted in hostile ways, keys that
// differ in case, repeated keys, blanks, tabs, control characters, runs of
// backslashes and quotes, non-Latin and surrogate-pair text, and now and
// then a value long enough to fill the line.
std::wstring GenerateArguments(std::mt19937& random, const LineTargets& targets, size_t maxLength);

// What the program must make of an argument vector (element 0 the program).
struct ExpectedRun {
  enum Verdict { Usage, MissingExtDir, Proceed } verdict = Usage;
  std::wstring folder;  // with Proceed: the folder to remove, as named
  std::wstring lang;    // the lang= value as looked up
};
ExpectedRun ExpectedOutcome(const std::vector<std::wstring>& argumentVector);

// The folder in one spelling: backslashes only, no doubled or trailing
// separators, ASCII letters in lower case.
std::wstring CanonicalPath(const std::wstring& path);

// Whether path is folder or lies below it (both in any spelling).
bool IsWithin(const std::wstring& path, const std::wstring& folder);

// Printable form of a line for failure messages: control characters, quotes
// and characters beyond ASCII escaped, long runs shortened.
std::string Printable(const std::wstring& text);
