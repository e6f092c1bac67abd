#include "relocate/relaunch.h"

#include <vector>

#include "common/exit_codes.h"
#include "common/paths.h"
#include "log/log.h"
#include "relocate/copy_line.h"
#include "relocate/outcome.h"

namespace {

// The copy gets no console window of its own: a console program started
// without one would otherwise show an empty window behind its boxes. When a
// handle is given, the copy inherits that handle and no other.
bool StartProcess(const std::wstring& commandLine, const std::wstring& workFolder, HANDLE inherited) {
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
  PROCESS_INFORMATION started = {};
  const BOOL created = CreateProcessW(nullptr, writableLine.data(), nullptr, nullptr, inherited != nullptr, flags,
                                      nullptr, workFolder.c_str(), &startup.StartupInfo, &started);
  if (inherited) DeleteProcThreadAttributeList(startup.lpAttributeList);
  if (!created) return false;
  const ProcessHandles copy(started);  // the copy runs on its own: never waited for here
  return true;
}

}  // namespace

std::optional<StartedCopy> StartCopyFromTemp(const Arguments& arguments) {
  const std::wstring ownPath = GetOwnPath();
  const std::wstring tempFolder = GetTempFolder();  // cut off, it would be relative to the current folder
  if (tempFolder.empty()) return std::nullopt;

  const unsigned long processId = GetCurrentProcessId();
  const unsigned long tickCount = GetTickCount();
  const std::wstring workFolder = WorkFolderPath(tempFolder, processId, tickCount);
  const std::wstring copyPath = JoinPath(workFolder, FileNameOf(ownPath));
  // The copy reads its own path into a classic 260-character buffer to find
  // its file and the launch executable's name: it must fit, or no copy is
  // made and nothing is created.
  if (copyPath.size() >= MAX_PATH) return std::nullopt;
  StartedCopy copy;
  KernelHandle reportEnd;
  if (arguments.wait && !CreateOutcomePipe(copy.outcome, reportEnd)) return std::nullopt;
  if (!CreateDirectoryTree(workFolder)) return std::nullopt;

  if (!CopyFileW(ownPath.c_str(), copyPath.c_str(), FALSE)) return std::nullopt;

  WriteLog(L"[Stage1] Relaunching from temp: " + copyPath);
  const std::wstring line = BuildRelaunchLine(copyPath, FolderOf(ownPath), arguments, reportEnd.get());
  if (!StartProcess(line, workFolder, reportEnd.get())) {
    WriteLog(L"[Stage1] CreateProcessW failed.");
    return std::nullopt;
  }
  return copy;  // this process's write end closes here: only the copy's is left
}

int AwaitCopy(const StartedCopy& copy) { return copy.outcome ? ReadCopyOutcome(copy.outcome.get()) : kExitRemoved; }
