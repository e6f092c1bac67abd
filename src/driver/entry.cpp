#include "driver/entry.h"

#include <windows.h>

#include "common/paths.h"
#include "driver/args.h"
#include "driver/sequence.h"
#include "log/log.h"

void ShowMessage(MessageId id, const std::wstring& caption, unsigned int icon) {
  MessageBoxW(nullptr, MessageCatalog::Instance().Get(id).c_str(), caption.c_str(), MB_OK | icon);
}

int RunUninstaller(int argumentCount, wchar_t** argumentVector) {
  WriteLog(L"--- Pexlo Play AI extension uninstaller start ---");

  const std::wstring langValue = GetArgValue(argumentCount, argumentVector, L"lang");
  MessageCatalog& catalog = MessageCatalog::Instance();
  catalog.language = ParseLanguage(langValue, catalog.language);
  const std::wstring caption = catalog.Get(MessageId::Title);

  if (argumentCount < 2) {
    ShowMessage(MessageId::Usage, caption, MB_ICONERROR);
    return kExitBadCommandLine;
  }

  const std::wstring extdirValue = GetArgValue(argumentCount, argumentVector, L"extdir");
  const std::wstring extensionFolder = TrimTrailingSeparators(extdirValue);
  // A root, a relative path or one with "." or ".." would let the removal
  // reach far beyond the extension: such a value counts as missing.
  if (extdirValue.empty() || !IsFolderBelowRoot(extensionFolder)) {
    ShowMessage(MessageId::MissingExtDir, caption, MB_ICONERROR);
    return kExitBadCommandLine;
  }

  WriteLog(L"extdir: " + extensionFolder);
  return RunUninstallSequence({extensionFolder, langValue, caption, argumentCount, argumentVector});
}
