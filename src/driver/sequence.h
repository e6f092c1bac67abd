#pragma once
#include <string>

// What the entry hands over once the command line has been accepted.
struct RunState {
  std::wstring extensionFolder;  // trailing separators trimmed
  std::wstring langValue;        // as given, possibly empty
  std::wstring caption;
  int argumentCount;
  wchar_t** argumentVector;
};

// Relaunch or remove, report, and return the exit code.
int RunUninstallSequence(const RunState& run);

// Returns once no Illustrator.exe runs, or after a little over two minutes.
void WaitForHostExit();

// In the relaunched copy: deletes the launch executable (the file in
// launchFolder named like ownPath) and removes the folder when nothing else is
// left in it.
void CleanLaunchLocation(const std::wstring& launchFolder, const std::wstring& ownPath);
