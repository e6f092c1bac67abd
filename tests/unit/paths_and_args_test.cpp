#include <gtest/gtest.h>

#include <vector>

#include "common/paths.h"
#include "driver/args.h"
#include "driver/entry.h"
#include "relocate/relaunch.h"

namespace {

// Calls GetArgValue on an argument vector written as a list.
std::wstring ArgValue(std::vector<std::wstring> arguments, const std::wstring& key) {
  arguments.insert(arguments.begin(), L"B:\\pexloplay-ai-uninstaller.exe");
  std::vector<wchar_t*> vector;
  for (std::wstring& argument : arguments) vector.push_back(&argument[0]);
  return GetArgValue(static_cast<int>(vector.size()), vector.data(), key);
}

// Calls CheckArguments on an argument vector written as a list.
ArgumentCheck Check(std::vector<std::wstring> arguments) {
  arguments.insert(arguments.begin(), L"B:\\pexloplay-ai-uninstaller.exe");
  std::vector<wchar_t*> vector;
  for (std::wstring& argument : arguments) vector.push_back(&argument[0]);
  return CheckArguments(static_cast<int>(vector.size()), vector.data());
}

}  // namespace

TEST(Separators, EnsureAppendsOneBackslashOnlyWhenNeeded) {
  EXPECT_EQ(EnsureTrailingSeparator(L"C:\\Tools"), L"C:\\Tools\\");
  EXPECT_EQ(EnsureTrailingSeparator(L"C:\\Tools\\"), L"C:\\Tools\\");
  EXPECT_EQ(EnsureTrailingSeparator(L"C:\\Tools/"), L"C:\\Tools/");
  EXPECT_EQ(EnsureTrailingSeparator(L""), L"");
}

TEST(Separators, TrimRemovesEveryTrailingSeparator) {
  EXPECT_EQ(TrimTrailingSeparators(L"C:\\Ext\\\\//"), L"C:\\Ext");
  EXPECT_EQ(TrimTrailingSeparators(L"C:\\Ext"), L"C:\\Ext");
  EXPECT_EQ(TrimTrailingSeparators(L"\\/\\"), L"");
  EXPECT_EQ(TrimTrailingSeparators(L"C:\\"), L"C:");
}

TEST(Numbers, DecimalDigitsWithoutSignZerosOrGrouping) {
  EXPECT_EQ(DecimalText(0), L"0");
  EXPECT_EQ(DecimalText(9), L"9");
  EXPECT_EQ(DecimalText(10), L"10");
  EXPECT_EQ(DecimalText(13), L"13");
  EXPECT_EQ(DecimalText(1000000), L"1000000");
  EXPECT_EQ(DecimalText(4294967295UL), L"4294967295");
}

TEST(WorkFolder, TempFolderThenProcessIdAndTickCount) {
  EXPECT_EQ(WorkFolderPath(L"C:\\Temp\\", 812, 905), L"C:\\Temp\\PexloPlayAiUninstall\\812_905\\");
  EXPECT_EQ(WorkFolderPath(L"C:\\Temp", 0, 4294967295UL), L"C:\\Temp\\PexloPlayAiUninstall\\0_4294967295\\");
}

TEST(OwnPath, NamesTheRunningExecutable) {
  const std::wstring own = GetOwnPath();
  ASSERT_GT(own.size(), 4u);
  EXPECT_EQ(own.substr(own.size() - 4), L".exe");
  EXPECT_EQ(own.substr(0, 3), L"B:\\");
}

TEST(ExtensionFolderCheck, AcceptsFoldersBelowARootOrShare) {
  for (const wchar_t* path : {L"C:\\a", L"c:/Users/me/AppData/Roaming/Adobe/CEP/extensions/com.pexlo.play.ai",
                              L"T:\\ext dir\\扩展", L"\\\\srv\\share\\ext", L"//srv/share/a/b", L"C:\\a\\\\b",
                              L"C:\\.hidden", L"C:\\..a", L"C:\\a b", L"C:\\CONSOLE", L"C:\\a\\COM10",
                              L"C:\\NULL", L"C:\\.con", L"C:\\com0", L"C:\\auxiliary.txt"}) {
    EXPECT_TRUE(IsFolderBelowRoot(path)) << path;
  }
}

TEST(ExtensionFolderCheck, RefusesRootsRelativePathsDotsAndWildcards) {
  for (const wchar_t* path :
       {L"", L"C:", L"C:\\", L"C:ext", L"\\ext", L"ext", L"\\\\srv\\share", L"\\\\srv", L"\\\\", L"C:\\a\\..",
        L"C:\\a\\..\\..", L"C:\\.", L"C:\\a\\.\\b", L"C:\\a\\*", L"C:\\a?", L"C:\\a\\b:c", L"C:\\a\"",
        L"C:\\a<b", L"C:\\a>b", L"C:\\a|b", L"C:\\a\tb", L"C:\\a.", L"C:\\a ", L"C:\\...", L"\\\\?\\C:",
        L"\\\\.\\C:", L"\\\\srv\\share\\..", L"1:\\a", L"C:\\a\\NUL", L"C:\\con\\x", L"C:\\a\\nul.txt",
        L"C:\\COM1", L"C:\\a\\lpt9.log", L"C:\\Aux .x", L"\\\\srv\\share\\prn"}) {
    EXPECT_FALSE(IsFolderBelowRoot(path)) << path;
  }
}

TEST(ArgumentLookup, FirstArgumentWithTheKeyWins) {
  EXPECT_EQ(ArgValue({L"extdir=C:\\a", L"extdir=C:\\b"}, L"extdir"), L"C:\\a");
  EXPECT_EQ(ArgValue({L"extdir=", L"extdir=C:\\b"}, L"extdir"), L"");
  EXPECT_EQ(ArgValue({L"lang=pt", L"extdir=C:\\b"}, L"extdir"), L"C:\\b");
}

TEST(ArgumentLookup, KeyIsCaseSensitiveAndAnchoredAtTheStart) {
  EXPECT_EQ(ArgValue({L"EXTDIR=C:\\x", L"/extdir=C:\\x", L"xextdir=C:\\x", L"extdir C:\\x"}, L"extdir"), L"");
  EXPECT_EQ(ArgValue({}, L"extdir"), L"");
}

TEST(ArgumentLookup, ElementZeroIsNeverSearched) {
  std::wstring program = L"extdir=C:\\x";
  wchar_t* vector[] = {&program[0]};
  EXPECT_EQ(GetArgValue(1, vector, L"extdir"), L"");
}

TEST(ArgumentLookup, ValueKeepsFurtherEqualsAndLosesOnePairOfQuotes) {
  EXPECT_EQ(ArgValue({L"extdir=C:\\a=b"}, L"extdir"), L"C:\\a=b");
  EXPECT_EQ(ArgValue({L"extdir=\"C:\\a b\""}, L"extdir"), L"C:\\a b");
  EXPECT_EQ(ArgValue({L"extdir=\"\"C:\\a\"\""}, L"extdir"), L"\"C:\\a\"");
  EXPECT_EQ(ArgValue({L"extdir=\""}, L"extdir"), L"\"");
  EXPECT_EQ(ArgValue({L"extdir=\"\""}, L"extdir"), L"");
  EXPECT_EQ(ArgValue({L"extdir=\"C:\\a"}, L"extdir"), L"\"C:\\a");
}

// Folder values at the classic path limit: 259 characters is a path that
// Windows reads as written; at 260 it would call a present folder absent.
TEST(ArgumentCheck, ExtensionFolderMustFitTheClassicPathLimit) {
  for (size_t length : {258u, 259u, 260u, 261u, 400u}) {
    const std::wstring folder = L"T:\\" + std::wstring(length - 3, L'a');
    for (const std::wstring& suffix : {std::wstring(), std::wstring(L"\\\\")}) {
      const ArgumentCheck check = Check({L"extdir=" + folder + suffix});
      EXPECT_EQ(check.accepted, length < 260) << length;
      if (!check.accepted) {
        EXPECT_EQ(check.refusal, MessageId::MissingExtDir);
      }
    }
  }
}

TEST(ArgumentCheck, RefusesWithUsageOnlyWithoutArguments) {
  EXPECT_FALSE(Check({}).accepted);
  EXPECT_EQ(Check({}).refusal, MessageId::Usage);
  EXPECT_EQ(Check({L""}).refusal, MessageId::MissingExtDir);
  const ArgumentCheck check = Check({L"lang=pt", L"extdir=\"T:\\a b\\\\\""});
  EXPECT_TRUE(check.accepted);
  EXPECT_EQ(check.extensionFolder, L"T:\\a b");
  EXPECT_EQ(check.langValue, L"pt");
}
