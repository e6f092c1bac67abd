#include "relocate/relaunch.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

#include "common/paths.h"
#include "log/log.h"
#include "relocate/outcome.h"

namespace {

std::wstring LaunchFolderOf(const std::wstring& ownPath) {
  wchar_t buffer[MAX_PATH] = {};
  ownPath.copy(buffer, MAX_PATH - 1);
  PathRemoveFileSpecW(buffer);
  return EnsureTrailingSeparator(buffer);
}

// The copy gets no console window of its own: a console program started
// without one would otherwise show an empty window behind its boxes. When a
// handle is given, the copy inherits that handle and no other.
bool StartCopy(const std::wstring& commandLine, const std::wstring& workFolder, HANDLE inherited) {
  std::vector<wchar_t> writableLine(commandLine.begin(), commandLine.end());
  writableLine.push_back(L'\0');
  STARTUPINFOEXW startup = {};
  startup.StartupInfo.cb = sizeof(STARTUPINFOW);
  DWORD flags = CREATE_NO_WINDOW;
  std::vector<char> attributeStorage;
  if (inherited) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attributeStorage.resize(size);
    startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeStorage.data());
    if (!InitializeProcThreadAttributeList(startup.lpAttributeList, 1, 0, &size)) return false;
    if (!UpdateProcThreadAttribute(startup.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &inherited,
                                   sizeof(inherited), nullptr, nullptr)) {
      DeleteProcThreadAttributeList(startup.lpAttributeList);
      return false;
    }
    startup.StartupInfo.cb = sizeof(startup);
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(nullptr, writableLine.data(), nullptr, nullptr, inherited != nullptr, flags,
                                      nullptr, workFolder.c_str(), &startup.StartupInfo, &process);
  if (inherited) DeleteProcThreadAttributeList(startup.lpAttributeList);
  if (!started) return false;
  // The copy runs on its own; this process never waits for its end. The
  // thread handle goes first, then the process handle.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// The copy's GetArgValue takes one pair of enclosing quotes off a value, as
// this process's did: a value that still has such a pair gets one more, so
// that the copy ends up with the very same value ("zh" stays "zh").
std::wstring ValueForCopy(const std::wstring& value) {
  return QuoteArgument(HasEnclosingQuotes(value) ? L"\"" + value + L"\"" : value);
}

}  // namespace

std::wstring QuoteArgument(const std::wstring& value) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : value) {
    if (c == L'\\') {
      ++backslashes;
    } else if (c == L'"') {
      quoted.append(backslashes + 1, L'\\');  // double the run, escape the quote
      backslashes = 0;
    } else {
      backslashes = 0;
    }
    quoted.push_back(c);
  }
  quoted.append(backslashes, L'\\');  // a final run must not escape the closing quote
  quoted.push_back(L'"');
  return quoted;
}

std::wstring BuildRelaunchLine(const std::wstring& copyPath, const std::wstring& extensionFolder,
                               const std::wstring& launchFolder, const Arguments& arguments,
                               const std::wstring& outcomeHandle) {
  std::wstring line = QuoteArgument(copyPath);
  line += L" extdir=" + ValueForCopy(extensionFolder);
  line += L" stage=2";
  line += L" origdir=" + ValueForCopy(TrimTrailingSeparators(launchFolder));
  if (!arguments.lang.empty()) line += L" lang=" + ValueForCopy(arguments.lang);
  if (arguments.silent) line += L" silent=\"1\"";
  if (!outcomeHandle.empty()) line += L" outcome=" + QuoteArgument(outcomeHandle);
  return line;
}

std::wstring WorkFolderPath(const std::wstring& tempFolder, unsigned long processId, unsigned long tickCount) {
  return EnsureTrailingSeparator(tempFolder) + L"PexloPlayAiUninstall\\" + std::to_wstring(processId) + L"_" +
         std::to_wstring(tickCount) + L"\\";
}

bool CreateDirectoryTree(const std::wstring& path) {
  const std::wstring folder = TrimTrailingSeparators(path);
  // Cut to the classic limit, the path would name another folder.
  if (folder.empty() || folder.size() >= MAX_PATH) return false;
  if (!IsAbsent(folder)) return true;  // or may be: the copy into it will tell

  for (size_t index = 0; index < folder.size(); ++index) {
    if (folder[index] != L'\\' && folder[index] != L'/') continue;
    const std::wstring parent = folder.substr(0, index);
    if (!parent.empty() && IsAbsent(parent)) {
      CreateDirectoryW(parent.c_str(), nullptr);  // the last step below decides
    }
  }
  return CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
}

bool RelaunchFromTemp(const Arguments& arguments, const std::wstring& extensionFolder, KernelHandle& outcome) {
  if (arguments.IsCopy()) return false;

  const std::wstring ownPath = GetOwnPath();
  const std::wstring launchFolder = ownPath.empty() ? L"" : LaunchFolderOf(ownPath);
  const std::wstring tempFolder = GetTempFolder();  // cut off, it would be relative to the current folder
  if (tempFolder.empty()) return false;

  const unsigned long processId = GetCurrentProcessId();
  const unsigned long tickCount = GetTickCount();
  const std::wstring workFolder = WorkFolderPath(tempFolder, processId, tickCount);
  const std::wstring copyPath = workFolder + PathFindFileNameW(ownPath.c_str());
  // The copy reads its own path into a classic 260-character buffer to find
  // its file and the launch executable's name: it must fit, or no copy is
  // made and nothing is created.
  if (copyPath.size() >= MAX_PATH) return false;
  KernelHandle reportEnd;
  if (arguments.wait && !CreateOutcomePipe(outcome, reportEnd)) return false;
  if (!CreateDirectoryTree(workFolder)) return false;

  if (!CopyFileW(ownPath.c_str(), copyPath.c_str(), FALSE)) return false;

  WriteLog(L"[Stage1] Relaunching from temp: " + copyPath);
  const std::wstring line = BuildRelaunchLine(copyPath, extensionFolder, launchFolder, arguments,
                                              reportEnd ? HandleText(reportEnd.get()) : L"");
  if (!StartCopy(line, workFolder, reportEnd.get())) {
    WriteLog(L"[Stage1] CreateProcessW failed.");
    return false;
  }
  return true;  // this process's write end closes here: only the copy's is left
}
