#include "driver.h"

#include <gtest/gtest.h>
#include <winternl.h>

#include <fstream>
#include <map>
#include <set>
#include <string_view>

#include "sandbox.h"

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
    const std::wstring line = entry;
    if (_wcsnicmp(entry, L"TMP=", 4) == 0 || _wcsnicmp(entry, L"TEMP=", 5) == 0) continue;
    block += line;
    block.push_back(L'\0');
  }
  FreeEnvironmentStringsW(strings);
  block += L"TMP=" + tempFolder;
  block.push_back(L'\0');
  block += L"TEMP=" + tempFolder;
  block.push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

// The current folder of another process, read from its parameter block.
std::wstring CurrentFolderOf(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic = {};
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) return L"";
  PEB peb = {};
  RTL_USER_PROCESS_PARAMETERS* parameters = nullptr;
  if (!ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr)) return L"";
  parameters = peb.ProcessParameters;
  // CurrentDirectory.DosPath follows the fields that winternl.h spells out.
  struct {
    BYTE skipped[0x38];
    UNICODE_STRING dosPath;
  } head = {};
  if (!ReadProcessMemory(process, parameters, &head, sizeof(head), nullptr)) return L"";
  std::wstring path(head.dosPath.Length / sizeof(wchar_t), L'\0');
  if (!ReadProcessMemory(process, head.dosPath.Buffer, &path[0], head.dosPath.Length, nullptr)) return L"";
  return path;
}

std::wstring ImagePathOf(HANDLE process) {
  wchar_t path[MAX_PATH * 4] = {};
  DWORD size = MAX_PATH * 4;
  return QueryFullProcessImageNameW(process, 0, path, &size) ? path : L"";
}

// The type argument of the n-th MessageBoxW call of a process, from the
// relay trace named by RELAY_LOG, or 0 when there is none. Over a long run
// Wine reuses process ids, so only the lines after the last start of a
// process with this id count (each process logs its relay lists as it starts).
DWORD BoxStyleFromTrace(DWORD processId, size_t callIndex) {
  wchar_t traceName[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"RELAY_LOG", traceName, MAX_PATH)) return 0;
  char prefix[16];
  wsprintfA(prefix, "%04lx:", processId);
  const std::string_view started = "trace:relay:load_list", call = "Call user32.MessageBoxW(";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::vector<unsigned char> bytes = ReadFileBytes(traceName);
    const std::string_view trace(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    size_t from = 0;
    for (size_t at = trace.rfind(started); at != std::string_view::npos && at > 0; at = trace.rfind(started, at - 1)) {
      const size_t line = trace.rfind('\n', at);
      const size_t begin = line == std::string_view::npos ? 0 : line + 1;
      if (trace.compare(begin, strlen(prefix), prefix) == 0) {
        from = begin;
        break;
      }
    }
    size_t seen = 0;
    for (size_t start = from, end; (end = trace.find('\n', start)) != std::string_view::npos; start = end + 1) {
      const std::string_view line = trace.substr(start, end - start);
      if (line.compare(0, strlen(prefix), prefix) != 0 || line.find(call) == std::string_view::npos) continue;
      if (seen++ != callIndex) continue;
      const size_t close = line.rfind(") ret=");
      const size_t comma = line.rfind(',', close);
      if (close == std::string_view::npos || comma == std::string_view::npos) return 0;
      return std::stoul(std::string(line.substr(comma + 1, close - comma - 1)), nullptr, 16);
    }
    Sleep(20);
  }
  return 0;
}

struct BoxSearch {
  std::set<DWORD> processIds;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (wcscmp(className, L"#32770") == 0 && search->processIds.count(processId) && IsWindowVisible(window)) {
    search->found.push_back(window);
  }
  return TRUE;
}

std::wstring WindowText(HWND window) {
  wchar_t text[4096] = {};
  GetWindowTextW(window, text, 4096);
  return text;
}

std::wstring BoxText(HWND box) {
  wchar_t text[4096] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 4096);
  return text;
}

}  // namespace

RunResult RunProgram(const RunOptions& options) {
  RunResult result;
  Job job;
  const std::wstring environment = options.tempFolder.empty() ? L"" : EnvironmentWithTemp(options.tempFolder);
  std::wstring commandLine = L"\"" + options.program + L"\"";
  if (!options.arguments.empty()) commandLine += L" " + options.arguments;
  commandLine.push_back(L'\0');

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION first = {};
  if (!CreateProcessW(options.program.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT,
                      environment.empty() ? nullptr : const_cast<wchar_t*>(environment.c_str()),
                      options.currentFolder.empty() ? nullptr : options.currentFolder.c_str(), &startup, &first)) {
    result.startError = GetLastError();  // the program never ran; the caller decides
    return result;
  }
  AssignProcessToJobObject(job.handle, first.hProcess);

  std::map<DWORD, HANDLE> handles{{first.dwProcessId, first.hProcess}};
  result.processes.push_back({first.dwProcessId, L"", L"", STILL_ACTIVE});
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
      result.processes.push_back({id, L"", L"", STILL_ACTIVE});
    }
    // A process seen right after its creation may not have its image and
    // parameters in place yet: read again until they are, while it runs.
    for (size_t i = 1; i < result.processes.size(); ++i) {
      SeenProcess& seen = result.processes[i];
      if (!seen.imagePath.empty() && !seen.currentFolder.empty()) continue;
      HANDLE process = handles[seen.processId];
      if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT) continue;
      if (seen.imagePath.empty()) seen.imagePath = ImagePathOf(process);
      if (seen.currentFolder.empty()) seen.currentFolder = CurrentFolderOf(process);
    }

    BoxSearch search;
    for (const auto& entry : handles) search.processIds.insert(entry.first);
    EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.found) {
      if (answered.count(box) || BoxText(box).empty()) continue;
      answered.insert(box);
      SeenBox seen;
      GetWindowThreadProcessId(box, &seen.processId);
      seen.caption = WindowText(box);
      seen.text = BoxText(box);
      seen.style = BoxStyleFromTrace(seen.processId, boxesPerProcess[seen.processId]++);
      result.boxes.push_back(seen);
      if (options.onBox) options.onBox(seen);
      if (options.closeInsteadOfOk) {
        PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
      } else {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
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
    // A process seen before its start-up was done may have shown no image yet.
    if (process.imagePath.empty()) process.imagePath = ImagePathOf(handle);
    CloseHandle(handle);
  }
  return result;
}

std::wstring BuiltProgram() {
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  std::wstring folder = own;
  folder.resize(folder.find_last_of(L'\\') + 1);
  return folder + L"pexloplay-ai-uninstaller.exe";
}

std::wstring PlaceProgram(const std::wstring& folder) {
  MakeFolder(folder);
  const std::wstring target = folder + L"\\pexloplay-ai-uninstaller.exe";
  CopyFileW(BuiltProgram().c_str(), target.c_str(), FALSE);
  return target;
}
