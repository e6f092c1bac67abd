#include "relocate/relaunch.h"

#include <vector>

#include "common/exit_codes.h"
#include "common/grace.h"
#include "common/paths.h"
#include "log/log.h"
#include "relocate/copy_line.h"
#include "relocate/launch_location.h"
#include "relocate/outcome.h"
#include "relocate/work_folder.h"

namespace {

constexpr DWORD kEndedCopyWaitMilliseconds = 5000;
constexpr wchar_t kJobWouldEndCopy[] = L"[Stage1] The caller's job would end a copy with it: removing from here.";
constexpr wchar_t kJobKeepsCopy[] = L"[Stage1] The caller's job does not let a copy leave: removing from here.";

// In any job at all: jobs may be nested.
bool IsInAnyJob(HANDLE process) {
  BOOL inJob = FALSE;
  return IsProcessInJob(process, nullptr, &inJob) && inJob;
}

CopyInJob CallersJob() {
  const bool inJob = IsInAnyJob(GetCurrentProcess());
  if (!inJob) return JudgeCallersJob(false, false, 0);
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  const bool accountingRead =
      QueryInformationJobObject(nullptr, JobObjectBasicAccountingInformation, &accounting, sizeof(accounting), nullptr);
  // A query that fails leaves the flags 0: nothing read.
  QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &limits, sizeof(limits), nullptr);
  return JudgeCallersJob(true, accountingRead, limits.BasicLimitInformation.LimitFlags);
}

// A copy that does not run goes at once, with its work folder; what cannot
// go is the next run's sweep's.
void DiscardCopy(const std::wstring& copyPath, const std::wstring& workFolder) {
  DeleteFileW(copyPath.c_str());
  RemoveDirectoryW(workFolder.c_str());
}

// The copy gets no console window of its own: a console program started
// without one would otherwise show an empty window behind its boxes. When a
// handle is given, the copy inherits that handle and no other. A start that
// fails because the fresh copy is held (an on-access scanner) is tried again
// for a moment; a start that leaves the caller's job is refused at once
// (access denied) where the job does not allow it. The copy starts
// suspended; no handles, with the last error, when it could not be started.
ProcessHandles StartProcess(const std::wstring& commandLine, const std::wstring& workFolder, HANDLE inherited, DWORD flags) {
  std::vector<wchar_t> writableLine(commandLine.begin(), commandLine.end());
  writableLine.push_back(L'\0');
  STARTUPINFOEXW startup = {};
  startup.StartupInfo.cb = sizeof(STARTUPINFOW);
  flags |= CREATE_NO_WINDOW | CREATE_SUSPENDED;
  std::vector<char> attributeStorage;
  if (inherited) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attributeStorage.resize(size);
    startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeStorage.data());
    if (!InitializeProcThreadAttributeList(startup.lpAttributeList, 1, 0, &size)) return {};
    if (!UpdateProcThreadAttribute(startup.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &inherited,
                                   sizeof(inherited), nullptr, nullptr)) {
      DeleteProcThreadAttributeList(startup.lpAttributeList);
      return {};
    }
    startup.StartupInfo.cb = sizeof(startup);
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }
  PROCESS_INFORMATION started = {};
  Grace grace;
  BOOL created = FALSE;
  do {
    created = CreateProcessW(nullptr, writableLine.data(), nullptr, nullptr, inherited != nullptr, flags, nullptr,
                             workFolder.c_str(), &startup.StartupInfo, &started);
  } while (!created && IsHeldError(GetLastError()) &&
           !(GetLastError() == ERROR_ACCESS_DENIED && (flags & CREATE_BREAKAWAY_FROM_JOB)) && grace.Pause());
  if (inherited) DeleteProcThreadAttributeList(startup.lpAttributeList);
  return created ? ProcessHandles(started) : ProcessHandles();
}

// Starts the copy and lets it run, unless it could not start or it is still
// in a job it had to leave: a breakaway climbs the chain of nested jobs and
// stops, without failing, at one that forbids it, which may end the copy
// halfway. False once it has logged why and the copy has ended unrun. The
// copy runs on its own: never waited for here.
bool StartAndRun(const std::wstring& line, const std::wstring& workFolder, HANDLE inherited, CopyInJob job) {
  const bool breaksAway = job == CopyInJob::BreakAway || job == CopyInJob::TryBreakAway;
  const ProcessHandles copy = StartProcess(line, workFolder, inherited, breaksAway ? CREATE_BREAKAWAY_FROM_JOB : 0);
  if (!copy.process) {
    const bool refused = job == CopyInJob::TryBreakAway && GetLastError() == ERROR_ACCESS_DENIED;
    WriteLog(refused ? kJobKeepsCopy : L"[Stage1] CreateProcessW failed.");
    return false;
  }
  if (job != CopyInJob::StaysIn && IsInAnyJob(copy.process.get())) {
    WriteLog(kJobKeepsCopy);
    TerminateProcess(copy.process.get(), kExitNotRemoved);  // suspended: it has done nothing
    WaitForSingleObject(copy.process.get(), kEndedCopyWaitMilliseconds);  // its file is then free to go
    return false;
  }
  // The copy's boxes may come to the front: this process, started by the
  // caller, may let them (a process without a window can give no more).
  AllowSetForegroundWindow(copy.id);
  ResumeThread(copy.thread.get());
  return true;
}

}  // namespace

CopyInJob JudgeCallersJob(bool inJob, bool accountingRead, unsigned long limitFlags) {
  if (!inJob || (limitFlags & JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK)) return CopyInJob::Free;
  if (limitFlags & JOB_OBJECT_LIMIT_BREAKAWAY_OK) return CopyInJob::BreakAway;
  if (limitFlags & JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE) return CopyInJob::WouldBeEnded;
  return accountingRead || limitFlags != 0 ? CopyInJob::StaysIn : CopyInJob::TryBreakAway;
}

std::optional<StartedCopy> StartCopyFromTemp(const Arguments& arguments) {
  const std::wstring tempFolder = GetTempFolder();  // cut off, it would be relative to the current folder
  SweepEarlierWorkFolders(tempFolder);
  SweepEarlierLaunchFiles(arguments.extensionFolder, tempFolder);
  const CopyInJob job = CallersJob();
  if (job == CopyInJob::WouldBeEnded) {
    WriteLog(kJobWouldEndCopy);
    return std::nullopt;
  }
  const std::wstring ownPath = GetOwnPath();
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

  if (!CopyFileW(ownPath.c_str(), copyPath.c_str(), FALSE)) {
    DiscardCopy(copyPath, workFolder);
    return std::nullopt;
  }
  // CopyFileW keeps a read-only launch executable's attributes, which would
  // keep the copy from its own clean-up and from the next run's sweep.
  SetFileAttributesW(copyPath.c_str(), FILE_ATTRIBUTE_NORMAL);

  WriteLog(L"[Stage1] Relaunching from temp: " + copyPath);
  const std::wstring line = BuildRelaunchLine(copyPath, FolderOf(ownPath), arguments, reportEnd.get());
  // A folder that is any process's current folder cannot be removed, and
  // installers start the program in its own folder, which may lie in the
  // extension's. Not before: without a temporary folder the log goes to the
  // current one.
  SetCurrentDirectoryW(GetSystemFolder().c_str());
  if (!StartAndRun(line, workFolder, reportEnd.get(), job)) {
    DiscardCopy(copyPath, workFolder);
    return std::nullopt;
  }
  return copy;  // this process's write end closes here: only the copy's is left
}

int AwaitCopy(const StartedCopy& copy) { return copy.outcome ? ReadCopyOutcome(copy.outcome.get()) : kExitRemoved; }
