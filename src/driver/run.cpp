#include "driver/run.h"

#include <windows.h>

#include <optional>
#include <string>

#include "common/exit_codes.h"
#include "common/names.h"
#include "common/paths.h"
#include "driver/command_line.h"
#include "driver/desktop.h"
#include "driver/host_wait.h"
#include "driver/identity.h"
#include "driver/removal_turn.h"
#include "i18n/messages.h"
#include "log/log.h"
#include "relocate/launch_location.h"
#include "relocate/outcome.h"
#include "relocate/relaunch.h"
#include "relocate/work_folder.h"
#include "removal/debug_mode.h"
#include "removal/emptied_folders.h"
#include "removal/extension_folder.h"
#include "removal/folder_removal.h"

namespace {

struct Run {
  Arguments arguments;
  std::wstring caption;  // the Title text, fetched once per run
};

// How a run ends: its exit code, its last box, and a line that says why,
// logged before the ending's own line; and a launch executable that a failed
// removal moved out and could not put back yet.
struct Ending {
  int exitCode;
  MessageId box;
  std::wstring reason;
  std::optional<MovedLaunch> launchNotBack = std::nullopt;
};

Run ReadRun(int argumentCount, wchar_t** argumentVector) {
  Run run{ReadArguments(argumentCount, argumentVector), L""};
  MessageCatalog& catalog = MessageCatalog::Instance();
  catalog.language = ParseLanguage(run.arguments.lang, catalog.language);
  run.caption = catalog.Get(MessageId::Title);
  // On a station nobody sees, no box could ever be answered. The copy is
  // told through its command line, so the line is logged once a run.
  if (!run.arguments.silent && !ThisWindowStationShowsBoxes()) {
    run.arguments.silent = true;
    WriteLog(L"[Boxes] The window station is not visible, nobody could answer a box: running as with silent=1.");
  }
  if (!run.arguments.silent) UseUpHiddenStart();
  return run;
}

// One of the program's modal boxes: no owner, OK only, the icon that suits
// the text; none at all with silent=1. However a box is closed, the run goes on.
void ShowMessage(const Run& run, MessageId id) {
  if (run.arguments.silent) return;
  const UINT icon = id == MessageId::ConfirmRemoval || id == MessageId::Removed ? MB_ICONINFORMATION : MB_ICONERROR;
  MessageBoxW(nullptr, MessageCatalog::Instance().Get(id).c_str(), run.caption.c_str(), MB_OK | icon);
}

// Something that is not this extension's folder is refused like a missing
// extdir; a folder that cannot be looked at fails as a removal would.
std::optional<Ending> EndingForFolder(FolderVerdict verdict, const std::wstring& folder) {
  if (verdict == FolderVerdict::Foreign) {
    return Ending{kExitBadCommandLine, MessageId::MissingExtDir, L"[Refused] Not the folder of " + std::wstring(kBundleId) + L": " + folder};
  }
  if (verdict == FolderVerdict::CannotLook) {
    return Ending{kExitNotRemoved, MessageId::RemoveFailed, L"[Delete] Cannot look into the folder, nothing deleted: " + folder};
  }
  return std::nullopt;
}

// The removal proper, in its turn among the user's runs; the turn ends before
// the run's last box. The folder is judged again once the turn is this run's,
// as the user has answered, Illustrator has gone and another run may have
// removed it meanwhile.
Ending RemoveInTurn(const Arguments& arguments, const std::wstring& folder) {
  const std::optional<RemovalTurn> turn = AwaitRemovalTurn();
  if (!turn) {
    return {kExitNotRemoved, MessageId::RemoveFailed, L"[Delete] Another removal was still running, nothing deleted: " + folder};
  }
  if (const auto ending = EndingForFolder(JudgeExtensionFolder(folder), folder)) return *ending;
  ClearCepDebugMode();
  const auto movedLaunch = MoveLaunchOutOf(folder, arguments);
  // What a process holding a folder as its current one keeps goes once it is let go.
  if (RemoveExtensionDir(folder) || HandOverEmptiedFolders(folder)) return {kExitRemoved, MessageId::Removed, L""};
  // To try again; a folder that another handle keeps delete-pending may take it later.
  if (PutLaunchBack(movedLaunch)) return {kExitNotRemoved, MessageId::RemoveFailed, L""};
  return {kExitNotRemoved, MessageId::RemoveFailed, L"", movedLaunch};
}

// Unless the launch executable is still out of its place even now: the
// work folder then stays, with the record of that place, and the next run
// puts the file back.
void HandOverOrKeepWorkFolder(const std::optional<MovedLaunch>& launchNotBack) {
  if (PutLaunchBack(launchNotBack)) return HandOverWorkFolder();
  WriteLog(L"[Stage2] The work folder stays, so that the next run puts back the launch executable, which is here: " +
           launchNotBack->to);
}

// Every ending of a run that was not handed to a copy comes here.
int EndRun(const Run& run, const Ending& ending) {
  if (!ending.reason.empty()) WriteLog(ending.reason);
  if (ending.exitCode == kExitNotRemoved) WriteLog(L"Failed to delete extension directory.");
  if (ending.exitCode == kExitRemoved) WriteLog(L"Extension directory deleted (or scheduled).");
  // First the outcome: a first process that waits for it ends once it has
  // read it, and the copy's clean-up below waits for that end.
  ReportOutcome(run.arguments.outcomePipe, ending.exitCode);
  if (ending.exitCode == kExitRemoved) CleanLaunchLocation(run.arguments);
  ShowMessage(run, ending.box);
  // Last, once nothing more is shown: the copy's folder goes after the copy.
  if (run.arguments.isCopy) HandOverOrKeepWorkFolder(ending.launchNotBack);
  return ending.exitCode;
}

}  // namespace

int RunUninstaller(int argumentCount, wchar_t** argumentVector) {
  WriteLog(kBanner);
  const Run run = ReadRun(argumentCount, argumentVector);
  const std::wstring& folder = run.arguments.extensionFolder;
  if (!run.arguments.any) return EndRun(run, {kExitBadCommandLine, MessageId::Usage, L""});
  if (!IsUsableExtensionFolder(folder)) return EndRun(run, {kExitBadCommandLine, MessageId::MissingExtDir, L""});
  if (const auto why = WrongIdentityOfThisProcess()) return EndRun(run, {kExitBadCommandLine, MessageId::MissingExtDir, *why});

  // Judged before a copy is started or a box is shown, and again once the
  // user has answered and Illustrator has gone: the folder may change meanwhile.
  const FolderVerdict verdict = JudgeExtensionFolder(folder);
  if (verdict != FolderVerdict::Foreign) WriteLog(L"extdir: " + folder);
  if (const auto ending = EndingForFolder(verdict, folder)) return EndRun(run, *ending);

  if (!run.arguments.isCopy) {
    if (const auto copy = StartCopyFromTemp(run.arguments)) return AwaitCopy(*copy);
  }
  ShowMessage(run, MessageId::ConfirmRemoval);
  WaitForHostExit();
  return EndRun(run, RemoveInTurn(run.arguments, folder));
}
