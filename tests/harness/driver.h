#pragma once
// Starts the built program as a user or an installer would and answers its
// message boxes. The program's boxes are told apart from every other window
// by process: every process of a run lives in a job object of the run's own.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct SeenBox {
  DWORD processId = 0;
  std::wstring caption;
  std::wstring text;
  DWORD style = 0;  // MessageBoxW's type argument, read from the relay trace
  bool IsError() const { return (style & MB_ICONMASK) == MB_ICONERROR; }
  bool IsInformation() const { return (style & MB_ICONMASK) == MB_ICONINFORMATION; }
};

struct SeenProcess {
  DWORD processId = 0;
  std::wstring imagePath;
  std::wstring currentFolder;  // as first read while the process ran (empty for the first)
  DWORD exitCode = STILL_ACTIVE;
};

struct RunOptions {
  std::wstring program;       // the .exe to start
  std::wstring arguments;     // what follows the program on the command line
  std::wstring tempFolder;    // TMP and TEMP of the run; empty keeps the test's own
  std::wstring currentFolder; // empty keeps the test's own
  DWORD timeoutMilliseconds = 60000;
  // Called for each box before it is answered.
  std::function<void(const SeenBox&)> onBox;
  // Close boxes with the title bar's close button instead of OK.
  bool closeInsteadOfOk = false;
};

struct RunResult {
  std::vector<SeenProcess> processes;  // in the order they started
  std::vector<SeenBox> boxes;          // in the order they were shown
  bool timedOut = false;
  DWORD startError = 0;  // nonzero when the first process could not be created
  DWORD ExitCode(size_t index) const { return index < processes.size() ? processes[index].exitCode : STILL_ACTIVE; }
};

// Runs the program and every process it starts to their end, answering each
// box; kills what is left after the timeout.
RunResult RunProgram(const RunOptions& options);

// The built program, as it lies in the build's bin folder.
std::wstring BuiltProgram();

// Copies the built program into <folder>\pexloplay-ai-uninstaller.exe and
// returns that path: the launch executable of a run.
std::wstring PlaceProgram(const std::wstring& folder);
