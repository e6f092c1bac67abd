#include "driver/entry.h"

#include <windows.h>

#include "common/paths.h"
#include "driver/args.h"
#include "driver/sequence.h"
#include "log/log.h"

void ShowMessage(MessageId id, const std::wstring& caption, unsigned int icon) {
  MessageBoxW(nullptr, MessageCatalog::Instance().Get(id).c_str(), caption.c_str(), MB_OK | icon);
}

ArgumentCheck CheckArguments(int argumentCount, wchar_t** argumentVector) {
  ArgumentCheck check;
  check.langValue = GetArgValue(argumentCount, argumentVector, L"lang");
  if (argumentCount < 2) return check;

  check.refusal = MessageId::MissingExtDir;
  const std::wstring extdirValue = GetArgValue(argumentCount, argumentVector, L"extdir");
  check.extensionFolder = TrimTrailingSeparators(extdirValue);
  // A root, a relative path or one with "." or ".." would let the removal
  // reach far beyond the extension: such a value counts as missing. So does
  // a path too long for the classic 260-character limit, which Windows would
  // report as absent, and so as removed, while the folder stays.
  check.accepted = !extdirValue.empty() && IsFolderBelowRoot(check.extensionFolder) &&
                   check.extensionFolder.size() < MAX_PATH;
  return check;
}

int RunUninstaller(int argumentCount, wchar_t** argumentVector) {
  WriteLog(L"--- Pexlo Play AI extension uninstaller start ---");

  const ArgumentCheck check = CheckArguments(argumentCount, argumentVector);
  MessageCatalog& catalog = MessageCatalog::Instance();
  catalog.language = ParseLanguage(check.langValue, catalog.language);
  const std::wstring caption = catalog.Get(MessageId::Title);

  if (!check.accepted) {
    ShowMessage(check.refusal, caption, MB_ICONERROR);
    return kExitBadCommandLine;
  }

  WriteLog(L"extdir: " + check.extensionFolder);
  return RunUninstallSequence({check.extensionFolder, check.langValue, caption, argumentCount, argumentVector});
}
