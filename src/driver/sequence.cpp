#include "driver/sequence.h"

#include <shlwapi.h>

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

namespace {

bool IsFolderEmpty(const std::wstring& folder) {
  WIN32_FIND_DATAW entry = {};
  FindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &entry));
  if (!search) return true;  // the removal below is tried all the same
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") return false;
  } while (FindNextFileW(search.get(), &entry));
  return true;
}

}  // namespace

void ShowMessage(const RunState& run, MessageId id, UINT icon) {
  if (run.arguments.silent) return;
  MessageBoxW(nullptr, MessageCatalog::Instance().Get(id).c_str(), run.caption.c_str(), MB_OK | icon);
}

int RefuseCommandLine(const RunState& run, MessageId id) {
  ReportOutcome(run.arguments, kExitBadCommandLine);
  ShowMessage(run, id, MB_ICONERROR);
  return kExitBadCommandLine;
}

int RefuseForeignFolder(const RunState& run) {
  WriteLog(L"[Refused] Not the folder of com.pexlo.play.ai: " + run.extensionFolder);
  return RefuseCommandLine(run, MessageId::MissingExtDir);
}

void CleanLaunchLocation(const std::wstring& launchFolder, const std::wstring& ownPath) {
  const std::wstring folderWithSeparator = EnsureTrailingSeparator(launchFolder);
  WriteLog(L"[Stage2] origdir: " + folderWithSeparator);
  // Without our own file name the "executable" would be the folder itself,
  // which must never be handed to the deletion at restart.
  if (!ownPath.empty()) DeleteOrScheduleFile(folderWithSeparator + PathFindFileNameW(ownPath.c_str()));

  const std::wstring folder = TrimTrailingSeparators(folderWithSeparator);
  if (folder.empty()) return;
  if (IsFolderEmpty(folder) && RemoveDirectoryW(folder.c_str())) {
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
  if (!IsRemovableExtensionFolder(run.extensionFolder)) return RefuseForeignFolder(run);
  ClearCepDebugMode();

  if (!RemoveExtensionDir(run.extensionFolder)) {
    WriteLog(L"Failed to delete extension directory.");
    ReportOutcome(run.arguments, kExitNotRemoved);
    ShowMessage(run, MessageId::RemoveFailed, MB_ICONERROR);
    return kExitNotRemoved;
  }
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
