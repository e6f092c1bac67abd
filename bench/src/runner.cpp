// The half of the benchmark that runs inside the Wine prefix: it starts the
// contenders, times them with the performance counter, answers boxes and
// plays the host application. bench/run.sh prepares the folders, calls it
// once per phase and turns its lines into medians.
//
//   bench_runner.exe remove <order> <manual tree> <shell tree> <rd tree> <absent>
//       runs the removals in the order given by the letters m (pass by hand),
//       s (shell delete path), r (cmd /c rd /s /q), and M and R (the same two
//       processes on an absent path: what merely starting them costs)
//   bench_runner.exe startup <rounds> <root>
//       time from starting a program to its first box, for the program's
//       two-process start, the program started as the copy (one process),
//       the one-box program and the one-box program's own two-process start
//   bench_runner.exe latency <samples> <root>
//       time from the host's exit to the start of the removal
//   bench_runner.exe wait <seconds> <root> | idle <seconds> <root>
//       keeps the program waiting for the host (or only the host running)
//       between the lines "waiting" and "waited", for run.sh to read the
//       processor time of the processes
//   bench_runner.exe snapshots <count>
//       takes that many process snapshots as the wait does, between the
//       lines "waiting" and "waited"
//
// Every program started lives in a job object of its own, so that its boxes
// are told apart by process and whatever it leaves running can be ended.
#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kProgramName[] = L"pexloplay-ai-uninstaller.exe";
const wchar_t kBoxName[] = L"bench_box.exe";

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return value;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Say(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::fflush(stdout);
}

std::wstring BinFolder() {
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  PathRemoveFileSpecW(own);
  return own;
}

std::wstring Number(unsigned long value) {
  wchar_t text[16] = {};
  _ultow(value, text, 10);
  return text;
}

void MakeFolder(const std::wstring& path) {
  for (size_t index = 3; index <= path.size(); ++index) {
    if (index == path.size() || path[index] == L'\\') CreateDirectoryW(path.substr(0, index).c_str(), nullptr);
  }
}

void WriteSmallFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, "x\r\n", 3, &written, nullptr);
  CloseHandle(file);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A fixed sequence, so that two runs wait the same way.
unsigned NextRandom() {
  static unsigned state = 12345;
  state = state * 1103515245u + 12345u;
  return (state >> 16) & 0x7FFF;
}

struct Job {
  HANDLE handle = CreateJobObjectW(nullptr, nullptr);
  Job() {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(handle, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
  }
  ~Job() {
    TerminateJobObject(handle, 0xDEAD);
    WaitUntilEmpty(10000);
    CloseHandle(handle);
  }
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  std::vector<DWORD> ProcessIds() const {
    struct {
      JOBOBJECT_BASIC_PROCESS_ID_LIST list;
      ULONG_PTR more[63];
    } ids = {};
    if (!QueryInformationJobObject(handle, JobObjectBasicProcessIdList, &ids, sizeof(ids), nullptr)) return {};
    return std::vector<DWORD>(ids.list.ProcessIdList, ids.list.ProcessIdList + ids.list.NumberOfProcessIdsInList);
  }
  DWORD ActiveProcesses() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    QueryInformationJobObject(handle, JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr);
    return info.ActiveProcesses;
  }
  bool WaitUntilEmpty(DWORD milliseconds) const {
    const DWORD start = GetTickCount();
    while (ActiveProcesses() != 0) {
      if (GetTickCount() - start > milliseconds) return false;
      Sleep(5);
    }
    return true;
  }
};

std::wstring EnvironmentWithTemp(const std::wstring& tempFolder) {
  std::wstring block;
  LPWCH strings = GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; *entry; entry += std::wcslen(entry) + 1) {
    if (_wcsnicmp(entry, L"TMP=", 4) == 0 || _wcsnicmp(entry, L"TEMP=", 5) == 0) continue;
    block += entry;
    block.push_back(L'\0');
  }
  FreeEnvironmentStringsW(strings);
  for (const wchar_t* name : {L"TMP=", L"TEMP="}) {
    block += name + tempFolder;
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

// Starts a command line inside the job, with TMP and TEMP pointing at the
// given folder; returns the process handle (or null).
HANDLE StartInJob(const Job& job, std::wstring commandLine, const std::wstring& tempFolder,
                  const std::wstring& currentFolder) {
  const std::wstring environment = EnvironmentWithTemp(tempFolder);
  commandLine.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT,
                      const_cast<wchar_t*>(environment.c_str()), currentFolder.c_str(), &startup, &process)) {
    return nullptr;
  }
  AssignProcessToJobObject(job.handle, process.hProcess);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  return process.hProcess;
}

struct BoxSearch {
  std::vector<DWORD> processIds;
  HWND found = nullptr;
};

BOOL CALLBACK FindBoxOfJob(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  bool ours = false;
  for (DWORD id : search->processIds) ours = ours || id == processId;
  if (!ours || !IsWindowVisible(window)) return TRUE;
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wcscmp(className, L"#32770") != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// Looks for a visible box of a process of the job about every millisecond;
// null after the timeout.
HWND WaitForBox(const Job& job, DWORD timeoutMilliseconds, const std::vector<HWND>& seen = {}) {
  const DWORD start = GetTickCount();
  for (;;) {
    BoxSearch search;
    search.processIds = job.ProcessIds();
    EnumWindows(FindBoxOfJob, reinterpret_cast<LPARAM>(&search));
    bool old = false;
    for (HWND window : seen) old = old || window == search.found;
    if (search.found && !old) return search.found;
    if (GetTickCount() - start > timeoutMilliseconds) return nullptr;
    Sleep(1);
  }
}

std::wstring ImageOfWindow(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return L"";
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  const BOOL ok = QueryFullProcessImageNameW(process, 0, path, &size);
  CloseHandle(process);
  return ok ? path : L"";
}

std::wstring Quoted(const std::wstring& value) { return L"\"" + value + L"\""; }

// A fresh launch folder holding only a copy of the named program, and a
// temporary folder of the run's own.
struct Placement {
  std::wstring launch, temp, program;
};

Placement Place(const std::wstring& root, const std::wstring& name, const wchar_t* programName) {
  Placement place;
  place.launch = root + L"\\" + name + L"\\launch";
  place.temp = root + L"\\" + name + L"\\temp";
  MakeFolder(place.launch);
  MakeFolder(place.temp);
  place.program = place.launch + L"\\" + programName;
  CopyFileW((BinFolder() + L"\\" + programName).c_str(), place.program.c_str(), FALSE);
  return place;
}

// ---- remove ---------------------------------------------------------------

int Remove(int argc, wchar_t** argv) {
  if (argc != 7) return 2;
  const std::wstring order = argv[2];
  const std::wstring trees[] = {argv[3], argv[4], argv[5]};
  const std::wstring absent = argv[6];
  const std::wstring remover = Quoted(BinFolder() + L"\\bench_remove.exe");
  const std::wstring cmd = L"C:\\windows\\system32\\cmd.exe";
  for (wchar_t letter : order) {
    std::wstring line, tree;
    const char* name = "";
    switch (letter) {
      case L'm': name = "manual"; tree = trees[0]; line = remover + L" manual " + Quoted(tree); break;
      case L's': name = "shell"; tree = trees[1]; line = remover + L" shell " + Quoted(tree); break;
      case L'r': name = "rd"; tree = trees[2]; line = Quoted(cmd) + L" /c rd /s /q " + Quoted(tree); break;
      case L'M': name = "manual_start"; tree = absent; line = remover + L" manual " + Quoted(tree); break;
      case L'R': name = "rd_start"; tree = absent; line = Quoted(cmd) + L" /c rd /s /q " + Quoted(tree) + L" 2>nul"; break;
      default: return 2;
    }
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const double start = Now();
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      Say("error remove %s cannot start\n", name);
      return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    const double end = Now();
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Say("remove %s %.3f exit=%lu gone=%d\n", name, end - start, exitCode, Exists(tree) ? 0 : 1);
  }
  return 0;
}

// ---- startup --------------------------------------------------------------

int Startup(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  const int rounds = _wtoi(argv[2]);
  const std::wstring root = argv[3];
  const std::wstring absent = root + L"\\absent\\com.pexlo.play.ai";
  const char* names[] = {"program_two_process", "program_one_process", "box_one_process", "box_two_process"};
  int run = 0;
  for (int round = 0; round <= rounds; ++round) {  // round 0 warms the caches and is not counted
    for (int slot = 0; slot < 4; ++slot) {
      const int contender = (slot + round) % 4;
      const bool program = contender < 2;
      const Placement place = Place(root, L"s" + Number(++run), program ? kProgramName : kBoxName);
      std::wstring line = Quoted(place.program);
      if (contender == 0) line += L" extdir=" + Quoted(absent) + L" lang=en";
      if (contender == 1) line += L" extdir=" + Quoted(absent) + L" stage=2 lang=en";
      if (contender == 3) line += L" relaunch";

      Job job;
      const double start = Now();
      HANDLE process = StartInJob(job, line, place.temp, place.launch);
      if (!process) {
        Say("error startup %s cannot start\n", names[contender]);
        return 1;
      }
      HWND box = WaitForBox(job, 30000);
      const double end = Now();
      CloseHandle(process);
      if (!box) {
        Say("error startup %s no box\n", names[contender]);
        continue;
      }
      if (round > 0) Say("startup %s %.3f\n", names[contender], end - start);
    }
  }
  return 0;
}

// ---- the host and the program's wait ---------------------------------------

bool HostListed() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
    found = _wcsicmp(entry.szExeFile, L"Illustrator.exe") == 0;
  }
  CloseHandle(snapshot);
  return found;
}

// The stand-in host, running until the trigger file appears.
HANDLE StartHost(const std::wstring& trigger) {
  std::wstring line = Quoted(BinFolder() + L"\\Illustrator.exe") + L" " + Quoted(trigger);
  line.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return nullptr;
  CloseHandle(process.hThread);
  const DWORD start = GetTickCount();
  while (!HostListed() && GetTickCount() - start < 10000) Sleep(5);
  return process.hProcess;
}

// An installed extension of a few files.
std::vector<std::wstring> MakeExtension(const std::wstring& folder) {
  MakeFolder(folder + L"\\CSXS");
  const std::vector<std::wstring> files = {folder + L"\\index.html", folder + L"\\CSXS\\manifest.xml",
                                           folder + L"\\main.js"};
  for (const std::wstring& file : files) WriteSmallFile(file);
  return files;
}

struct WaitingProgram {
  Job job;
  HWND confirmation = nullptr;
  std::wstring copyImage;
};

// Starts the program's two-process run and answers its confirmation: from
// then on the copy waits for the host.
bool StartAndConfirm(WaitingProgram& run, const Placement& place, const std::wstring& extension) {
  const std::wstring line = Quoted(place.program) + L" extdir=" + Quoted(extension) + L" lang=en";
  HANDLE process = StartInJob(run.job, line, place.temp, place.launch);
  if (!process) return false;
  CloseHandle(process);
  run.confirmation = WaitForBox(run.job, 30000);
  if (!run.confirmation) return false;
  run.copyImage = ImageOfWindow(run.confirmation);
  PostMessageW(run.confirmation, WM_COMMAND, IDOK, 0);
  return true;
}

// Answers the box that reports the outcome and waits for the run to end.
bool Finish(WaitingProgram& run) {
  HWND outcome = WaitForBox(run.job, 30000, {run.confirmation});
  if (outcome) PostMessageW(outcome, WM_COMMAND, IDOK, 0);
  return outcome && run.job.WaitUntilEmpty(30000);
}

int Latency(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  const int samples = _wtoi(argv[2]);
  const std::wstring root = argv[3];
  for (int sample = 1; sample <= samples; ++sample) {
    const std::wstring name = L"l" + Number(sample);
    const Placement place = Place(root, name, kProgramName);
    const std::wstring extension = root + L"\\" + name + L"\\ext\\com.pexlo.play.ai";
    const std::vector<std::wstring> files = MakeExtension(extension);
    const std::wstring trigger = root + L"\\" + name + L"\\host-exit";

    HANDLE host = StartHost(trigger);
    WaitingProgram run;
    if (!host || !StartAndConfirm(run, place, extension)) {
      Say("error latency cannot start\n");
      return 1;
    }
    // Lets the host exit at a random point of the program's polling cycle.
    const DWORD phase = 300 + NextRandom() % 1000;
    Sleep(phase);
    const double triggered = Now();
    WriteSmallFile(trigger);

    double exited = 0, removing = 0;
    const DWORD start = GetTickCount();
    while ((exited == 0 || removing == 0) && GetTickCount() - start < 20000) {
      if (exited == 0 && WaitForSingleObject(host, 0) == WAIT_OBJECT_0) exited = Now();
      if (removing == 0) {
        bool complete = true;
        for (const std::wstring& file : files) complete = complete && Exists(file);
        if (!complete) removing = Now();
      }
      Sleep(1);
    }
    CloseHandle(host);
    const bool finished = Finish(run);
    if (exited == 0 || removing == 0 || !finished) {
      Say("error latency sample %d incomplete\n", sample);
      continue;
    }
    Say("latency %.3f host_exit_after_trigger=%.3f phase=%lu\n", removing - exited, exited - triggered, phase);
  }
  return 0;
}

int Wait(int argc, wchar_t** argv, bool withProgram) {
  if (argc != 4) return 2;
  const DWORD seconds = static_cast<DWORD>(_wtoi(argv[2]));
  const std::wstring root = argv[3];
  const std::wstring name = withProgram ? L"wait" : L"idle";
  const Placement place = Place(root, name, kProgramName);
  const std::wstring extension = root + L"\\" + name + L"\\ext\\com.pexlo.play.ai";
  MakeExtension(extension);
  const std::wstring trigger = root + L"\\" + name + L"\\host-exit";

  HANDLE host = StartHost(trigger);
  WaitingProgram run;
  if (!host || (withProgram && !StartAndConfirm(run, place, extension))) {
    Say("error wait cannot start\n");
    return 1;
  }
  Sleep(1000);  // the copy is past its confirmation and into the polling
  Say("waiting %ls\n", run.copyImage.c_str());
  const double start = Now();
  Sleep(seconds * 1000);
  Say("waited %.3f\n", Now() - start);
  WriteSmallFile(trigger);
  WaitForSingleObject(host, 20000);
  CloseHandle(host);
  if (withProgram && !Finish(run)) {
    Say("error wait program did not finish\n");
    return 1;
  }
  return 0;
}

// What one poll of the program's wait costs: the same snapshot and walk,
// back to back.
int Snapshots(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const int count = _wtoi(argv[2]);
  Say("waiting snapshots\n");
  Sleep(3000);  // run.sh finds this process and reads its times meanwhile
  const double start = Now();
  int found = 0;
  for (int index = 0; index < count; ++index) found += HostListed() ? 1 : 0;
  Say("waited %.3f count=%d found=%d\n", Now() - start, count, found);
  Sleep(1000);  // still here while run.sh reads the times
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"remove") return Remove(argc, argv);
  if (command == L"startup") return Startup(argc, argv);
  if (command == L"latency") return Latency(argc, argv);
  if (command == L"wait") return Wait(argc, argv, true);
  if (command == L"idle") return Wait(argc, argv, false);
  if (command == L"snapshots") return Snapshots(argc, argv);
  std::fputs("usage: bench_runner.exe remove|startup|latency|wait|idle|snapshots ...\n", stderr);
  return 2;
}
