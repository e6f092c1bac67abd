#pragma once
#include <string>

#include "common/decimal.h"

// The product's names, as the program, its tests, the sample run and the
// benchmark spell them. The message texts keep theirs inside the catalog,
// where a translator reads each text whole.
inline constexpr wchar_t kBundleId[] = L"com.pexlo.play.ai";
inline constexpr wchar_t kProgramFileName[] = L"pexloplay-ai-uninstaller.exe";
inline constexpr wchar_t kBanner[] = L"--- Pexlo Play AI extension uninstaller start ---";
inline constexpr wchar_t kLogFileName[] = L"PexloPlayAiUninstall.log";  // in the user's temporary folder
inline constexpr wchar_t kWorkFolderName[] = L"PexloPlayAiUninstall";   // there too; one work folder a run below it
inline constexpr wchar_t kHostImageName[] = L"Illustrator.exe";
// One removal at a time among the user's runs, in the session's namespace:
// another user's runs, in another session, are no concern of this one.
inline constexpr wchar_t kRemovalMutexName[] = L"Local\\PexloPlayAiUninstall.Removal";
// The CSXS versions whose PlayerDebugMode the program deletes
// (HKCU\Software\Adobe\CSXS.<version>).
inline constexpr int kFirstCsxsVersion = 9;
inline constexpr int kLastCsxsVersion = 13;
inline std::wstring CsxsKey(int version) { return L"Software\\Adobe\\CSXS." + Decimal(version); }
