#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "common/arguments.h"
#include "i18n/messages.h"
#include "removal/extension_folder.h"

// What the entry hands over once the command line has been read.
struct RunState {
  Arguments arguments;
  std::wstring extensionFolder;  // extdir without trailing separators
  std::wstring caption;          // the Title text, fetched once per run
};

// Relaunch or remove, report, and return the exit code.
int RunUninstallSequence(const RunState& run);

// Shows one of the program's modal boxes: no owner, OK only, the given icon;
// none at all with silent=1. However a box is closed, the run goes on.
void ShowMessage(const RunState& run, MessageId id, UINT icon);

// Ends a run whose command line cannot be used (Usage or MissingExtDir): exit
// code 2, also for a first process that waits for this copy.
int RefuseCommandLine(const RunState& run, MessageId id);

// Ends a run on an extdir that may not be removed: something that is not this
// extension's folder is logged and refused like a missing extdir; a folder
// that cannot be looked at is logged and fails as a removal would. Nothing
// for a folder that is absent or this extension's.
std::optional<int> EndOnVerdict(const RunState& run, FolderVerdict verdict);

// The failed removal: logged, the RemoveFailed box, exit code 1.
int ReportRemoveFailed(const RunState& run);

// In the relaunched copy: deletes the launch executable (the file in
// launchFolder named like ownPath) and removes the folder when nothing else is
// left in it.
void CleanLaunchLocation(const std::wstring& launchFolder, const std::wstring& ownPath);
