#include "runner.h"

#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "common/names.h"
#include "common/paths.h"

namespace {

// The call trace, named by tools/wine/run.sh as the test program starts.
const wchar_t* TraceName() { return _wgetenv(L"RELAY_LOG"); }

struct Process {
  SeenProcess seen;
  KernelHandle handle;
};

struct Run {
  std::vector<Process> processes;  // the run's own
  std::set<HWND> answered;
  std::map<DWORD, size_t> boxesPerProcess;
  bool Has(DWORD id) const {
    return std::any_of(processes.begin(), processes.end(), [id](const Process& own) { return own.seen.processId == id; });
  }
};

std::wstring ImagePathOf(HANDLE process) {
  wchar_t path[MAX_PATH * 4] = {};
  DWORD size = MAX_PATH * 4;
  return QueryFullProcessImageNameW(process, 0, path, &size) ? path : L"";
}

bool HasEnded(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

// What the system, or Wine, starts on its own (a console host, the desktop,
// services), and the command interpreter that a copy hands its work folder
// to, which outlives the run by design: whatever runs from the Windows folder.
bool IsSystemHelper(const std::wstring& image) {
  wchar_t windows[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  return length > 0 && length < MAX_PATH && SameNameIgnoringCase(image.substr(0, length + 1), std::wstring(windows) + L"\\");
}

// The one rule: a process belongs to the run when one of the run's processes
// started it and it is not one of the system's helpers, which is told by its
// image once it shows one. (A job could not tell: a copy may leave the
// caller's job.) True while a new process is still to be told apart.
bool AdoptNewProcesses(Run& run) {
  SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  bool pending = false;
  for (BOOL found = snapshot && Process32FirstW(snapshot.get(), &entry); found; found = Process32NextW(snapshot.get(), &entry)) {
    if (run.Has(entry.th32ProcessID) || !run.Has(entry.th32ParentProcessID)) continue;
    KernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
    const std::wstring image = process ? ImagePathOf(process.get()) : L"";
    if (image.empty()) {
      pending = pending || (process && !HasEnded(process.get()));
    } else if (!IsSystemHelper(image)) {
      run.processes.push_back({{entry.th32ProcessID, image, STILL_ACTIVE}, std::move(process)});
      pending = true;
    }
  }
  return pending;
}

// Without a call trace: a box's icon is one of the shared system icons on
// Windows (not under Wine).
DWORD StyleFromIcon(HWND box) {
  const HICON shown = reinterpret_cast<HICON>(SendDlgItemMessageW(box, 20, STM_GETICON, 0, 0));
  if (shown && shown == LoadIconW(nullptr, IDI_ERROR)) return MB_OK | MB_ICONERROR;
  if (shown && shown == LoadIconW(nullptr, IDI_INFORMATION)) return MB_OK | MB_ICONINFORMATION;
  return 0;
}

// The type of the index-th box of a process: from the trace, whose line may
// come a little after the box, or from the box itself.
DWORD StyleOf(HWND box, DWORD processId, size_t index) {
  if (!HaveTrace()) return StyleFromIcon(box);
  for (int attempt = 0; attempt < 100; ++attempt, Sleep(20)) {
    const auto calls = TracedCalls(processId, "user32.MessageBoxW");
    if (index < calls.size()) return TracedNumber(calls[index].back());
  }
  return 0;
}

void AnswerBoxes(const RunOptions& options, Run& run, RunResult& result) {
  for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr;) {
    wchar_t text[4096] = {}, caption[4096] = {};
    SeenBox seen;
    GetWindowThreadProcessId(box, &seen.processId);
    if (!run.Has(seen.processId) || !IsWindowVisible(box) || run.answered.count(box) || !GetDlgItemTextW(box, 0xFFFF, text, 4096)) continue;
    run.answered.insert(box);
    GetWindowTextW(box, caption, 4096);
    seen.caption = caption;
    seen.text = text;
    seen.style = StyleOf(box, seen.processId, run.boxesPerProcess[seen.processId]++);
    result.boxes.push_back(seen);
    if (options.onBox) options.onBox(seen);
    PostMessageW(box, options.closeInsteadOfOk ? WM_SYSCOMMAND : WM_COMMAND, options.closeInsteadOfOk ? SC_CLOSE : IDOK, 0);
  }
}

// Wine now and then fails to start a process at all (about one start in
// 6,000, with ERROR_INTERNAL_ERROR): such a start is tried again.
ProcessHandles StartSuspended(const RunOptions& options, DWORD& error) {
  std::wstring commandLine = L"\"" + options.program + L"\" " + options.arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  std::wstring desktop = options.desktop;
  startup.lpDesktop = desktop.empty() ? nullptr : desktop.data();
  startup.dwFlags = options.startHidden ? STARTF_USESHOWWINDOW : 0;
  startup.wShowWindow = SW_HIDE;
  const DWORD flags = CREATE_SUSPENDED | (options.newConsole ? CREATE_NEW_CONSOLE : 0);
  for (int attempt = 1; attempt <= 3; ++attempt) {
    PROCESS_INFORMATION started = {};
    if (CreateProcessW(options.program.c_str(), commandLine.data(), nullptr, nullptr, options.inherited.get() != nullptr,
                       flags, nullptr, options.currentFolder.empty() ? nullptr : options.currentFolder.c_str(), &startup,
                       &started)) {
      error = 0;
      return ProcessHandles(started);
    }
    error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR) break;
  }
  return ProcessHandles();
}

}  // namespace

// Made once, without a name (on Windows only administrators may name a
// station), and its handles kept open on purpose while the test program
// runs: what a run leaves there, the copy's helper, may outlive the run.
std::wstring UnseenDesktop() {
  static const std::wstring name = [] {
    const HWINSTA own = GetProcessWindowStation(), made = CreateWindowStationW(nullptr, 0, WINSTA_ALL_ACCESS, nullptr);
    if (!made || !SetProcessWindowStation(made)) return std::wstring();
    const HDESK desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(own);
    wchar_t station[256] = {};
    if (!desktop || !GetUserObjectInformationW(made, UOI_NAME, station, sizeof(station), nullptr)) return std::wstring();
    return std::wstring(station) + L"\\Default";
  }();
  return name;
}

RunResult RunProgram(RunOptions options) {
  RunResult result;
  const DWORD started = GetTickCount();
  const ScopedVariables environment({{L"TMP", options.tempFolder}, {L"TEMP", options.tempFolder}, {L"APPDATA", options.appData}});
  ProcessHandles first = StartSuspended(options, result.startError);
  if (!first.process) return result;  // the program never ran; the caller decides
  options.inherited.reset();
  std::vector<KernelHandle> jobs;
  for (DWORD limitFlags : options.jobLimits) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = limitFlags;
    jobs.emplace_back(CreateJobObjectW(nullptr, nullptr));
    SetInformationJobObject(jobs.back().get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    AssignProcessToJobObject(jobs.back().get(), first.process.get());
  }
  ResumeThread(first.thread.get());

  Run run;
  run.processes.push_back({{first.id, ImagePathOf(first.process.get()), STILL_ACTIVE}, std::move(first.process)});
  for (;; Sleep(20)) {
    // Looked at before the list is read: a process started by one that has
    // ended by now is in the list.
    const bool allEnded = std::all_of(run.processes.begin(), run.processes.end(),
                                      [](const Process& own) { return HasEnded(own.handle.get()); });
    if (HasEnded(run.processes[0].handle.get())) jobs.clear();  // as a caller closes its jobs
    const bool pending = AdoptNewProcesses(run);
    if (run.processes[0].seen.imagePath.empty()) run.processes[0].seen.imagePath = ImagePathOf(run.processes[0].handle.get());
    AnswerBoxes(options, run, result);
    if (allEnded && !pending) break;
    if (GetTickCount() - started > options.timeoutMilliseconds) {
      for (const Process& own : run.processes) {
        if (!HasEnded(own.handle.get())) result.leftOver.push_back(own.seen.imagePath);
        TerminateProcess(own.handle.get(), 1);
      }
      result.timedOut = true;
      break;
    }
  }
  for (Process& own : run.processes) {
    WaitForSingleObject(own.handle.get(), 5000);
    GetExitCodeProcess(own.handle.get(), &own.seen.exitCode);
    result.processes.push_back(own.seen);
  }
  return result;
}

ScopedVariables::ScopedVariables(const std::map<std::wstring, std::wstring>& variables) {
  for (const auto& [name, value] : variables) {
    if (value.empty()) continue;
    std::wstring old(32768, L'\0');
    const DWORD length = GetEnvironmentVariableW(name.c_str(), old.data(), 32768);
    saved[name] = length ? std::optional<std::wstring>(old.substr(0, length)) : std::nullopt;
    SetEnvironmentVariableW(name.c_str(), value.c_str());
  }
}

ScopedVariables::~ScopedVariables() {
  for (const auto& [name, value] : saved) SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
}

std::string ReadWholeFile(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(LongForm(path)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream file(std::filesystem::path(LongForm(path)), std::ios::binary);
  return file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && file.flush() && Exists(path);
}

std::wstring BinFile(const std::wstring& name) { return JoinPath(FolderOf(GetOwnPath()), name); }

std::vector<std::wstring> ReadLogLines(const std::wstring& tempFolder) {
  const std::string bytes = ReadWholeFile(JoinPath(tempFolder, kLogFileName));
  const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);  // UTF-16LE as it is
  if (text.empty()) return {};
  static const std::wregex separator(L"\r\n");
  return {std::wsregex_token_iterator(text.begin(), text.end(), separator, -1), {}};
}

std::wstring PlaceProgram(const std::wstring& folder) {
  CreateDirectoryTree(folder);  // the copy below fails visibly instead
  const std::wstring target = JoinPath(folder, kProgramFileName);
  CopyFileW(BinFile(kProgramFileName).c_str(), target.c_str(), FALSE);
  return target;
}

bool HaveTrace() { return TraceName() && Exists(TraceName()); }

std::vector<std::vector<std::string>> TracedCalls(DWORD processId, const std::string& function) {
  const std::string trace = HaveTrace() ? ReadWholeFile(TraceName()) : "", call = "Call " + function + "(";
  char prefix[16];
  wsprintfA(prefix, "%04lx:", processId);
  std::vector<std::vector<std::string>> calls;
  for (size_t start = 0, end; (end = trace.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = trace.substr(start, end - start);
    if (line.compare(0, strlen(prefix), prefix) != 0) continue;
    // Wine reuses process ids: a process logs its relay settings as it starts.
    if (line.find("trace:relay:load_list") != std::string::npos) calls.clear();
    const size_t at = line.find(call), close = line.rfind(") ret=");
    if (at == std::string::npos || close == std::string::npos) continue;
    static const std::regex argument(R"((?:[^,"]|"(?:[^"\\]|\\.)*")+)");  // up to a comma outside quotes
    const std::string arguments = line.substr(at + call.size(), close - at - call.size());
    calls.emplace_back();
    for (std::sregex_iterator it(arguments.begin(), arguments.end(), argument), end; it != end; ++it) {
      calls.back().push_back(it->str());
    }
  }
  return calls;
}

DWORD TracedNumber(const std::string& argument) { return static_cast<DWORD>(std::stoull(argument, nullptr, 16)); }
