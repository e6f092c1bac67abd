#include "driver.h"

#include "common/paths.h"
#include "relocate/relaunch.h"

#include <winternl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>

namespace {

std::wstring ImagePathOf(HANDLE process) {
  wchar_t path[MAX_PATH * 4] = {};
  DWORD size = MAX_PATH * 4;
  return QueryFullProcessImageNameW(process, 0, path, &size) ? path : L"";
}

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

DWORD ParentOf(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic = {};
  NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr);
  return static_cast<DWORD>(basic.InheritedFromUniqueProcessId);
}

// What the system, or Wine, starts inside a run's job on its own: a console
// host, the desktop, services. Never one of the program's processes.
bool IsSystemHelper(const std::wstring& imagePath) {
  std::wstring name = L"|" + FileNameOf(imagePath) + L"|";
  CharLowerW(name.data());
  return std::wstring(L"|conhost.exe|explorer.exe|services.exe|winedevice.exe|plugplay.exe|svchost.exe|rpcss.exe|"
                      L"winemenubuilder.exe|").find(name) != std::wstring::npos;
}

// Without a call trace: a box's icon is one of the shared system icons.
DWORD StyleFromIcon(HWND box) {
  const HICON shown = reinterpret_cast<HICON>(SendDlgItemMessageW(box, 20, STM_GETICON, 0, 0));
  if (shown && shown == LoadIconW(nullptr, IDI_ERROR)) return MB_OK | MB_ICONERROR;
  if (shown && shown == LoadIconW(nullptr, IDI_INFORMATION)) return MB_OK | MB_ICONINFORMATION;
  return 0;
}

bool HasEnded(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

std::vector<DWORD> JobProcessIds(HANDLE job) {
  struct {
    JOBOBJECT_BASIC_PROCESS_ID_LIST list;
    ULONG_PTR more[63];
  } ids = {};
  QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof(ids), nullptr);
  return std::vector<DWORD>(ids.list.ProcessIdList, ids.list.ProcessIdList + ids.list.NumberOfProcessIdsInList);
}

}  // namespace

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
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::vector<std::vector<std::string>> TracedCalls(DWORD processId, const std::string& function) {
  wchar_t traceName[MAX_PATH] = {};
  GetEnvironmentVariableW(L"RELAY_LOG", traceName, MAX_PATH);
  const std::string trace = ReadWholeFile(traceName), call = "Call " + function + "(";
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

RunResult RunProgram(const RunOptions& options) {
  RunResult result;
  const DWORD started = GetTickCount();
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
  const ScopedVariables environment({{L"TMP", options.tempFolder}, {L"TEMP", options.tempFolder}, {L"APPDATA", options.appData}});
  std::wstring commandLine = L"\"" + options.program + L"\" " + options.arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION first = {};
  const DWORD flags = CREATE_SUSPENDED | (options.newConsole ? CREATE_NEW_CONSOLE : 0);
  // Wine now and then fails to start a process at all (about one start in
  // 6,000, with ERROR_INTERNAL_ERROR): such a start is tried again.
  for (int attempt = 1; !CreateProcessW(options.program.c_str(), &commandLine[0], nullptr, nullptr,
                                        options.inherited != nullptr, flags,
                                        nullptr,
                                        options.currentFolder.empty() ? nullptr : options.currentFolder.c_str(),
                                        &startup, &first);
       ++attempt) {
    result.startError = GetLastError();
    if (result.startError != ERROR_INTERNAL_ERROR || attempt == 3) {  // the program never ran; the caller decides
      CloseHandle(job);
      return result;
    }
  }
  result.startError = 0;
  if (options.inherited) CloseHandle(options.inherited);
  AssignProcessToJobObject(job, first.hProcess);
  std::map<DWORD, HANDLE> handles{{first.dwProcessId, first.hProcess}};
  result.processes.push_back({first.dwProcessId, L"", STILL_ACTIVE});
  ResumeThread(first.hThread);
  CloseHandle(first.hThread);

  // The program's own processes: the first one and every process that one
  // of them started. Others in the job (what Wine starts) are only watched.
  std::set<DWORD> own{first.dwProcessId}, others;
  std::set<HWND> answered;
  std::map<DWORD, size_t> boxesPerProcess;
  for (;; Sleep(20)) {
    // Looked at before the job is listed: a process started by one that has
    // ended by now is in the list below.
    const bool ownEnded = std::all_of(own.begin(), own.end(), [&](DWORD id) { return HasEnded(handles[id]); });
    bool foundOwn = false;
    for (DWORD id : JobProcessIds(job)) {
      if (handles.count(id) || others.count(id)) continue;
      HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id);
      if (!process) continue;
      const std::wstring image = ImagePathOf(process);
      const bool child = own.count(ParentOf(process)) != 0;
      if (child && image.empty() && !HasEnded(process)) {  // just started: told apart once it shows its image
        CloseHandle(process);
        foundOwn = true;
        continue;
      }
      if (!child || IsSystemHelper(image)) {
        others.insert(id);
        CloseHandle(process);
        continue;
      }
      own.insert(id);
      foundOwn = true;
      handles[id] = process;
      result.processes.push_back({id, image, STILL_ACTIVE});
    }
    if (result.processes[0].imagePath.empty()) result.processes[0].imagePath = ImagePathOf(first.hProcess);
    for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr;) {
      wchar_t text[4096] = {}, caption[4096] = {};
      SeenBox seen;
      GetWindowThreadProcessId(box, &seen.processId);
      if (!handles.count(seen.processId) || !IsWindowVisible(box) || answered.count(box) ||
          !GetDlgItemTextW(box, 0xFFFF, text, 4096)) {
        continue;
      }
      answered.insert(box);
      GetWindowTextW(box, caption, 4096);
      seen.caption = caption;
      seen.text = text;
      // The type of the call, whose relay line may reach the trace a little after the box.
      const size_t index = boxesPerProcess[seen.processId]++;
      const bool traced = GetEnvironmentVariableW(L"RELAY_LOG", nullptr, 0) > 0;
      if (!traced) seen.style = StyleFromIcon(box);
      for (int attempt = 0; traced && attempt < 100 && !seen.style; ++attempt, Sleep(20)) {
        const auto calls = TracedCalls(seen.processId, "user32.MessageBoxW");
        if (index < calls.size()) seen.style = TracedNumber(calls[index].back());
      }
      result.boxes.push_back(seen);
      if (options.onBox) options.onBox(seen);
      PostMessageW(box, options.closeInsteadOfOk ? WM_SYSCOMMAND : WM_COMMAND,
                   options.closeInsteadOfOk ? SC_CLOSE : IDOK, 0);
    }
    if (ownEnded && !foundOwn) break;
    if (GetTickCount() - started > options.timeoutMilliseconds) {
      for (DWORD id : own) {
        if (!HasEnded(handles[id])) result.leftOver.push_back(ImagePathOf(handles[id]));
      }
      result.timedOut = true;
      break;
    }
  }
  CloseHandle(job);  // ends whatever is left in it
  for (SeenProcess& process : result.processes) {
    WaitForSingleObject(handles[process.processId], 5000);
    GetExitCodeProcess(handles[process.processId], &process.exitCode);
    CloseHandle(handles[process.processId]);
  }
  // Only the uninstaller's processes follow the first: not an installer's helpers.
  const auto isHelper = [](const SeenProcess& process) {
    return _wcsicmp(FileNameOf(process.imagePath).c_str(), L"pexloplay-ai-uninstaller.exe") != 0;
  };
  result.processes.erase(std::remove_if(result.processes.begin() + 1, result.processes.end(), isHelper),
                         result.processes.end());
  result.milliseconds = GetTickCount() - started;
  return result;
}

std::wstring BinFile(const std::wstring& name) {
  const std::wstring own = GetOwnPath();
  return own.substr(0, own.find_last_of(L'\\') + 1) + name;
}

std::vector<std::wstring> ReadLogLines(const std::wstring& tempFolder) {
  const std::string bytes = ReadWholeFile(tempFolder + L"\\PexloPlayAiUninstall.log");
  const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);  // UTF-16LE as it is
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::wstring BuiltProgram() { return BinFile(L"pexloplay-ai-uninstaller.exe"); }

std::wstring PlaceProgram(const std::wstring& folder) {
  CreateDirectoryTree(folder);  // the copy below fails visibly instead
  const std::wstring target = folder + L"\\pexloplay-ai-uninstaller.exe";
  CopyFileW(BuiltProgram().c_str(), target.c_str(), FALSE);
  return target;
}
