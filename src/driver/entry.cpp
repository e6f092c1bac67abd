#include "driver/entry.h"

#include <windows.h>

#include "common/paths.h"
#include "driver/args.h"
#include "driver/sequence.h"
#include "log/log.h"
#include "removal/extension_folder.h"

bool IsUsableExtdir(const std::wstring& value) {
  // A root, a relative path or one with "." or ".." would let the removal
  // reach far beyond the extension. A path too long for the classic limit
  // would be reported absent, and so removed, while the folder stays.
  const std::wstring folder = TrimTrailingSeparators(value);
  return !value.empty() && IsFolderBelowRoot(folder) && folder.size() < MAX_PATH;
}

int RunUninstaller(int argumentCount, wchar_t** argumentVector) {
  WriteLog(L"--- Pexlo Play AI extension uninstaller start ---");

  const Arguments arguments = ReadArguments(argumentCount, argumentVector);
  MessageCatalog& catalog = MessageCatalog::Instance();
  catalog.language = ParseLanguage(arguments.lang, catalog.language);
  const RunState run = {arguments, TrimTrailingSeparators(arguments.extdir), catalog.Get(MessageId::Title)};

  if (!arguments.any) return RefuseCommandLine(run, MessageId::Usage);
  if (!IsUsableExtdir(arguments.extdir)) return RefuseCommandLine(run, MessageId::MissingExtDir);
  // Decided here, before a copy is started or a box is shown; the copy looks
  // again once the user has answered.
  const FolderVerdict verdict = JudgeExtensionFolder(run.extensionFolder);
  if (verdict != FolderVerdict::Foreign) WriteLog(L"extdir: " + run.extensionFolder);
  if (const auto ended = EndOnVerdict(run, verdict)) return *ended;
  return RunUninstallSequence(run);
}
