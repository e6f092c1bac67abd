#pragma once
// Drives the built program as a user or an installer would, for the sample
// run and the tests: starts it, answers its message boxes and records what
// they said and how each process ended. The program's boxes are told apart
// from every other window by process: every process of a run lives in a job
// object of the run's own.
#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct SeenBox {
  DWORD processId = 0;
  std::wstring caption;
  std::wstring text;
  DWORD style = 0;  // MessageBoxW's type argument, from the relay trace or the box's icon; 0 unknown
};

struct SeenProcess {
  DWORD processId = 0;
  std::wstring imagePath;
  DWORD exitCode = STILL_ACTIVE;
};

struct RunOptions {
  std::wstring program;        // the .exe to start
  std::wstring arguments;      // what follows the program on the command line
  std::wstring tempFolder;     // TMP and TEMP of the run; empty keeps the test's own
  std::wstring appData;        // APPDATA of the run; empty keeps the test's own
  std::wstring currentFolder;  // empty keeps the test's own
  DWORD timeoutMilliseconds = 60000;
  std::function<void(const SeenBox&)> onBox;  // called for each box before it is answered
  bool closeInsteadOfOk = false;              // the title bar's close button instead of OK
  bool newConsole = false;                    // as Explorer starts a console program
  HANDLE inherited = nullptr;  // an inheritable handle the first process gets; closed here once it runs
};

struct RunResult {
  // The process started first, then the program's own processes (the copy, or
  // both stages when the first is cmd or an installer), in the order they started.
  std::vector<SeenProcess> processes;
  std::vector<SeenBox> boxes;          // in the order they were shown
  bool timedOut = false;               // what was left has been ended
  std::vector<std::wstring> leftOver;  // then: the program's processes that still ran
  DWORD milliseconds = 0;
  DWORD startError = 0;  // nonzero when the first process could not be created
  DWORD ExitCode(size_t index) const { return index < processes.size() ? processes[index].exitCode : STILL_ACTIVE; }
  std::vector<std::wstring> Texts() const {  // of the boxes, in order
    std::vector<std::wstring> texts;
    for (const SeenBox& box : boxes) texts.push_back(box.text);
    return texts;
  }
};

// Sets environment variables of this process while it lives (an empty value
// leaves one as it is): the program's runs inherit them.
struct ScopedVariables {
  explicit ScopedVariables(const std::map<std::wstring, std::wstring>& variables);
  ~ScopedVariables();
  std::map<std::wstring, std::optional<std::wstring>> saved;
};

// Runs the program and every process it, or one of its descendants, starts to
// their end, answering each box; what else is left in the run's job then
// (what Wine starts of its own), and everything after the timeout, is ended.
RunResult RunProgram(const RunOptions& options);

// The bytes of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);

// A file in the build's bin folder (B:), where the built program lies.
std::wstring BinFile(const std::wstring& name);
std::wstring BuiltProgram();

// The lines of <tempFolder>\PexloPlayAiUninstall.log, split at CR LF; an
// unterminated last line shows up too.
std::vector<std::wstring> ReadLogLines(const std::wstring& tempFolder);

// Copies the built program into <folder>\pexloplay-ai-uninstaller.exe and
// returns that path: the launch executable of a run.
std::wstring PlaceProgram(const std::wstring& folder);

// The arguments of each call of function (as the relay trace names it, e.g.
// "KERNEL32.CreateProcessW") made by a process, as the relay trace of the test
// run shows them (RELAY_LOG; see tools/wine/run.sh and the prefix's
// RelayInclude); a number argument in hex, a string one as ptr L"text", of
// which the trace shows at most 200 characters, with backslashes doubled.
std::vector<std::vector<std::string>> TracedCalls(DWORD processId, const std::string& function);
DWORD TracedNumber(const std::string& argument);  // its low 32 bits
