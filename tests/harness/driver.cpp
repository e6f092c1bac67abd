#include "driver.h"

#include <algorithm>
#include <map>
#include <set>

#include "support.h"

namespace {

struct Job {
  HANDLE handle = CreateJobObjectW(nullptr, nullptr);
  Job() {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(handle, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
  }
  ~Job() { CloseHandle(handle); }
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
};

std::wstring EnvironmentWithTemp(const std::wstring& tempFolder) {
  std::wstring block;
  LPWCH strings = GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
    if (_wcsnicmp(entry, L"TMP=", 4) != 0 && _wcsnicmp(entry, L"TEMP=", 5) != 0) block += entry + std::wstring(1, L'\0');
  }
  FreeEnvironmentStringsW(strings);
  return block + L"TMP=" + tempFolder + L'\0' + L"TEMP=" + tempFolder + L'\0' + L'\0';
}

std::wstring ImagePathOf(HANDLE process) {
  wchar_t path[MAX_PATH * 4] = {};
  DWORD size = MAX_PATH * 4;
  return QueryFullProcessImageNameW(process, 0, path, &size) ? path : L"";
}

// A relay line's arguments, split at the commas outside string literals,
// with each string literal decoded (\\, \", \n, \t, \r, \ and four hex digits).
std::vector<std::wstring> SplitArguments(const std::string& list) {
  std::vector<std::wstring> arguments(1);
  bool quoted = false;
  for (size_t i = 0; i < list.size(); ++i) {
    const char c = list[i];
    if (!quoted && c == ',') {
      arguments.emplace_back();
    } else if (!quoted && c == 'L' && i + 1 < list.size() && list[i + 1] == '"') {
      arguments.back().clear();  // the pointer before the text
      quoted = true;
      ++i;
    } else if (quoted && c == '"') {
      quoted = false;
    } else if (quoted && c == '\\' && i + 1 < list.size()) {
      const char e = list[++i];
      if (isxdigit(static_cast<unsigned char>(e)) && i + 3 < list.size()) {
        arguments.back() += static_cast<wchar_t>(std::stoul(list.substr(i, 4), nullptr, 16));
        i += 3;
      } else {
        arguments.back() += e == 'n' ? L'\n' : e == 't' ? L'\t' : e == 'r' ? L'\r' : static_cast<wchar_t>(e);
      }
    } else {
      arguments.back() += static_cast<wchar_t>(c);
    }
  }
  return arguments;
}

BOOL CALLBACK CollectBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<std::pair<std::set<DWORD>, std::vector<HWND>>*>(context);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (wcscmp(className, L"#32770") == 0 && search->first.count(processId) && IsWindowVisible(window)) {
    search->second.push_back(window);
  }
  return TRUE;
}

}  // namespace

DWORD TracedNumber(const std::wstring& argument) {
  return static_cast<DWORD>(std::stoull(argument, nullptr, 16));
}

std::vector<std::vector<std::wstring>> TracedCalls(DWORD processId, const std::string& function) {
  wchar_t traceName[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"RELAY_LOG", traceName, MAX_PATH)) return {};
  char prefix[16];
  wsprintfA(prefix, "%04lx:", processId);
  const std::vector<unsigned char> bytes = ReadFileBytes(traceName);
  const std::string trace(bytes.begin(), bytes.end()), call = "Call " + function + "(";
  std::vector<std::vector<std::wstring>> calls;
  for (size_t start = 0, end; (end = trace.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = trace.substr(start, end - start);
    if (line.compare(0, strlen(prefix), prefix) != 0) continue;
    // Wine reuses process ids: a process logs its relay settings as it starts.
    if (line.find("trace:relay:load_list") != std::string::npos) calls.clear();
    const size_t at = line.find(call), close = line.rfind(") ret=");
    if (at != std::string::npos && close != std::string::npos) {
      calls.push_back(SplitArguments(line.substr(at + call.size(), close - at - call.size())));
    }
  }
  return calls;
}

RunResult RunProgram(const RunOptions& options) {
  RunResult result;
  Job job;
  const std::wstring environment = options.tempFolder.empty() ? L"" : EnvironmentWithTemp(options.tempFolder);
  std::wstring commandLine = L"\"" + options.program + L"\" " + options.arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION first = {};
  const DWORD flags = CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT | (options.newConsole ? CREATE_NEW_CONSOLE : 0);
  if (!CreateProcessW(options.program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags,
                      environment.empty() ? nullptr : const_cast<wchar_t*>(environment.c_str()),
                      options.currentFolder.empty() ? nullptr : options.currentFolder.c_str(), &startup, &first)) {
    result.startError = GetLastError();  // the program never ran; the caller decides
    return result;
  }
  AssignProcessToJobObject(job.handle, first.hProcess);
  std::map<DWORD, HANDLE> handles{{first.dwProcessId, first.hProcess}};
  result.processes.push_back({first.dwProcessId, L"", STILL_ACTIVE});
  ResumeThread(first.hThread);
  CloseHandle(first.hThread);

  std::set<HWND> answered;
  std::map<DWORD, size_t> boxesPerProcess;
  const DWORD start = GetTickCount();
  for (;;) {
    for (DWORD id : job.ProcessIds()) {
      if (handles.count(id)) continue;
      HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
      if (!process) continue;
      handles[id] = process;
      result.processes.push_back({id, L"", STILL_ACTIVE});
    }
    // A process seen right after its creation may not show its image yet.
    for (size_t i = 1; i < result.processes.size(); ++i) {
      SeenProcess& seen = result.processes[i];
      HANDLE process = handles[seen.processId];
      if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT) continue;
      if (seen.imagePath.empty()) seen.imagePath = ImagePathOf(process);
    }

    std::pair<std::set<DWORD>, std::vector<HWND>> search;
    for (const auto& entry : handles) search.first.insert(entry.first);
    EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.second) {
      wchar_t text[4096] = {}, caption[4096] = {};
      if (answered.count(box) || !GetDlgItemTextW(box, 0xFFFF, text, 4096)) continue;
      answered.insert(box);
      GetWindowTextW(box, caption, 4096);
      SeenBox seen{0, caption, text};
      GetWindowThreadProcessId(box, &seen.processId);
      // The call's relay line may reach the trace file a little after the box.
      const size_t index = boxesPerProcess[seen.processId]++;
      auto calls = TracedCalls(seen.processId, "user32.MessageBoxW");
      for (int attempt = 0; attempt < 100 && index >= calls.size(); ++attempt) {
        Sleep(20);
        calls = TracedCalls(seen.processId, "user32.MessageBoxW");
      }
      if (index < calls.size()) seen.style = TracedNumber(calls[index].back());
      result.boxes.push_back(seen);
      if (options.onBox) options.onBox(seen);
      PostMessageW(box, options.closeInsteadOfOk ? WM_SYSCOMMAND : WM_COMMAND,
                   options.closeInsteadOfOk ? SC_CLOSE : IDOK, 0);
    }

    if (job.ActiveProcesses() == 0) break;
    if (GetTickCount() - start > options.timeoutMilliseconds) {
      result.timedOut = true;
      TerminateJobObject(job.handle, 0xDEAD);
      break;
    }
    Sleep(20);
  }

  for (SeenProcess& process : result.processes) {
    HANDLE handle = handles[process.processId];
    WaitForSingleObject(handle, 5000);
    GetExitCodeProcess(handle, &process.exitCode);
    if (process.imagePath.empty()) process.imagePath = ImagePathOf(handle);
    CloseHandle(handle);
  }
  // Only the program's own processes follow the first: not the console host
  // that the system starts for a new console, nor an installer's helpers.
  const auto isHelper = [](const SeenProcess& process) {
    const std::wstring name = process.imagePath.substr(process.imagePath.find_last_of(L'\\') + 1);
    return _wcsicmp(name.c_str(), L"pexloplay-ai-uninstaller.exe") != 0;
  };
  result.processes.erase(std::remove_if(result.processes.begin() + 1, result.processes.end(), isHelper),
                         result.processes.end());
  return result;
}

std::wstring BinFile(const std::wstring& name) {
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  const std::wstring path = own;
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

std::wstring BuiltProgram() { return BinFile(L"pexloplay-ai-uninstaller.exe"); }

std::wstring PlaceProgram(const std::wstring& folder) {
  MakeFolder(folder);
  const std::wstring target = folder + L"\\pexloplay-ai-uninstaller.exe";
  CopyFileW(BuiltProgram().c_str(), target.c_str(), FALSE);
  return target;
}
