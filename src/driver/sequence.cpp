#include "driver/sequence.h"

#include <shlwapi.h>

#include <optional>

#include "common/exit_codes.h"
#include "common/handles.h"
#include "common/paths.h"
#include "driver/processes.h"
#include "log/log.h"
#include "relocate/outcome.h"
#include "relocate/relaunch.h"
#include "removal/debug_mode.h"
#include "removal/extension_folder.h"
#include "removal/folder_removal.h"

void ShowMessage(const RunState& run, MessageId id, UINT icon) {
  if (run.arguments.silent) return;
  MessageBoxW(nullptr, MessageCatalog::Instance().Get(id).c_str(), run.caption.c_str(), MB_OK | icon);
}

int RefuseCommandLine(const RunState& run, MessageId id) {
  ReportOutcome(run.arguments, kExitBadCommandLine);
  ShowMessage(run, id, MB_ICONERROR);
  return kExitBadCommandLine;
}

int ReportRemoveFailed(const RunState& run) {
  WriteLog(L"Failed to delete extension directory.");
  ReportOutcome(run.arguments, kExitNotRemoved);
  ShowMessage(run, MessageId::RemoveFailed, MB_ICONERROR);
  return kExitNotRemoved;
}

std::optional<int> EndOnVerdict(const RunState& run, FolderVerdict verdict) {
  if (verdict == FolderVerdict::Foreign) {
    WriteLog(L"[Refused] Not the folder of com.pexlo.play.ai: " + run.extensionFolder);
    return RefuseCommandLine(run, MessageId::MissingExtDir);
  }
  if (verdict == FolderVerdict::CannotLook) {
    WriteLog(L"[Delete] Cannot look into the folder, nothing deleted: " + run.extensionFolder);
    return ReportRemoveFailed(run);
  }
  return std::nullopt;
}

void CleanLaunchLocation(const std::wstring& launchFolder, const std::wstring& ownPath) {
  const std::wstring folderWithSeparator = EnsureTrailingSeparator(launchFolder);
  WriteLog(L"[Stage2] origdir: " + folderWithSeparator);
  // Without our own file name the "executable" would be the folder itself,
  // which must never be handed to the deletion at restart.
  if (!ownPath.empty()) DeleteOrScheduleFile(folderWithSeparator + PathFindFileNameW(ownPath.c_str()));

  const std::wstring folder = TrimTrailingSeparators(folderWithSeparator);
  if (folder.empty()) return;
  if (RemoveDirectoryW(folder.c_str())) {  // refused while anything is left in it
    WriteLog(L"[Stage2] Removed empty directory: " + folder);
  }
}

int RunUninstallSequence(const RunState& run) {
  KernelHandle outcome;
  if (RelaunchFromTemp(run.arguments, run.extensionFolder, outcome)) {
    return outcome ? WaitForCopyOutcome(outcome.get()) : kExitRemoved;
  }

  ShowMessage(run, MessageId::ConfirmRemoval, MB_ICONINFORMATION);
  WaitForHostExit();
  // The folder may have changed while the user was asked and Illustrator was
  // waited for: it is looked at again right before anything is removed.
  if (const auto ended = EndOnVerdict(run, JudgeExtensionFolder(run.extensionFolder))) return *ended;
  ClearCepDebugMode();

  if (!RemoveExtensionDir(run.extensionFolder)) return ReportRemoveFailed(run);
  WriteLog(L"Extension directory deleted (or scheduled).");
  ReportOutcome(run.arguments, kExitRemoved);

  if (run.arguments.IsCopy() && !run.arguments.origdir.empty()) {
    // The launch executable can be deleted only once its process has ended.
    WaitForLaunchProcessExit();
    CleanLaunchLocation(run.arguments.origdir, GetOwnPath());
  }
  // A running program cannot delete its own file: this ends in a request to
  // delete it at the next restart, which a standard user's Windows may refuse.
  DeleteOrScheduleFile(GetOwnPath());

  ShowMessage(run, MessageId::Removed, MB_ICONINFORMATION);
  return kExitRemoved;
}
