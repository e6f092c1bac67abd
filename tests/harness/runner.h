#pragma once
// Starts the built program as a user or an installer would, for the tests and
// the sample run, answers its message boxes and records what they said and
// how each process ended. The run's processes are the first one and every
// process that one of them started, but for what Wine starts of its own.
#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/handles.h"

struct SeenBox {
  DWORD processId = 0;
  std::wstring caption;
  std::wstring text;
  DWORD style = 0;  // MessageBoxW's type argument, from the call trace or the box's icon; 0 unknown
};

struct SeenProcess {
  DWORD processId = 0;
  std::wstring imagePath;
  DWORD exitCode = STILL_ACTIVE;
};

struct RunOptions {
  std::wstring program;        // the .exe to start
  std::wstring arguments;      // what follows the program on the command line
  std::wstring tempFolder;     // TMP and TEMP of the run; empty keeps the caller's own
  std::wstring appData;        // APPDATA of the run; empty keeps the caller's own
  std::wstring currentFolder;  // empty keeps the caller's own
  DWORD timeoutMilliseconds = 60000;
  std::function<void(const SeenBox&)> onBox;  // called for each box before it is answered
  bool closeInsteadOfOk = false;              // the title bar's close button instead of OK
  bool newConsole = false;                    // as Explorer starts a console program
  bool startHidden = false;                   // as nsExec and runhidden start it: SW_HIDE
  // The first process starts in jobs with these limits, each assigned after
  // the one before (Windows nests them), which are closed as soon as that
  // process has ended, as a deployment agent would.
  std::vector<DWORD> jobLimits;
  // Nonempty: the first process starts on this desktop (RunOptions' own
  // UnseenDesktop()), where its boxes are never answered.
  std::wstring desktop;
  KernelHandle inherited;  // an inheritable handle that the first process gets; closed once it runs
};

struct RunResult {
  std::vector<SeenProcess> processes;  // the run's processes, in the order they started
  std::vector<SeenBox> boxes;          // in the order they were shown
  bool timedOut = false;               // what was left has been ended
  std::vector<std::wstring> leftOver;  // then: the processes that still ran
  DWORD startError = 0;  // nonzero when the first process could not be created
  DWORD ExitCode(size_t index) const { return index < processes.size() ? processes[index].exitCode : STILL_ACTIVE; }
  std::vector<std::wstring> Texts() const {  // of the boxes, in order
    std::vector<std::wstring> texts;
    for (const SeenBox& box : boxes) texts.push_back(box.text);
    return texts;
  }
};

// A desktop on a window station of the test program's own that nobody sees
// (without WSF_VISIBLE), as a task that runs whether the user is logged on or
// not has: what STARTUPINFO's lpDesktop names, empty when none can be made.
std::wstring UnseenDesktop();

// Runs the program and every process of the run to their end, answering each
// box; what still runs after the timeout is ended.
RunResult RunProgram(RunOptions options);

// Sets environment variables of this process while it lives (an empty value
// leaves one as it is): the program's runs inherit them.
struct ScopedVariables {
  explicit ScopedVariables(const std::map<std::wstring, std::wstring>& variables);
  ~ScopedVariables();
  std::map<std::wstring, std::optional<std::wstring>> saved;
};

// The bytes of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);
// Writes the bytes as the whole file; false when it cannot.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// A file in the folder of the running test program, where the built programs lie.
std::wstring BinFile(const std::wstring& name);

// The lines of the program's log in tempFolder, split at CR LF; an
// unterminated last line shows up too.
std::vector<std::wstring> ReadLogLines(const std::wstring& tempFolder);

// Copies the built program into folder (made when missing) and returns its
// path there: the launch executable of a run.
std::wstring PlaceProgram(const std::wstring& folder);

// The calls of function ("KERNEL32.CreateProcessW") that a process made, as
// Wine's relay trace of this test run shows them (RELAY_LOG, see
// tools/wine/run.sh): each call's arguments as written there, a number in hex.
// Nothing without a trace: HaveTrace() says whether there is one.
bool HaveTrace();
std::vector<std::vector<std::string>> TracedCalls(DWORD processId, const std::string& function);
DWORD TracedNumber(const std::string& argument);
