#include <gtest/gtest.h>

#include <vector>

#include "common/paths.h"
#include "driver/args.h"
#include "relocate/relaunch.h"

namespace {

// Calls GetArgValue on an argument vector written as a list.
std::wstring ArgValue(std::vector<std::wstring> arguments, const std::wstring& key) {
  arguments.insert(arguments.begin(), L"B:\\pexloplay-ai-uninstaller.exe");
  std::vector<wchar_t*> vector;
  for (std::wstring& argument : arguments) vector.push_back(&argument[0]);
  return GetArgValue(static_cast<int>(vector.size()), vector.data(), key);
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
                              L"C:\\.hidden", L"C:\\..a", L"C:\\a b"}) {
    EXPECT_TRUE(IsFolderBelowRoot(path)) << path;
  }
}

TEST(ExtensionFolderCheck, RefusesRootsRelativePathsDotsAndWildcards) {
  for (const wchar_t* path :
       {L"", L"C:", L"C:\\", L"C:ext", L"\\ext", L"ext", L"\\\\srv\\share", L"\\\\srv", L"\\\\", L"C:\\a\\..",
        L"C:\\a\\..\\..", L"C:\\.", L"C:\\a\\.\\b", L"C:\\a\\*", L"C:\\a?", L"C:\\a\\b:c", L"C:\\a\"",
        L"C:\\a<b", L"C:\\a>b", L"C:\\a|b", L"C:\\a\tb", L"C:\\a.", L"C:\\a ", L"C:\\...", L"\\\\?\\C:",
        L"\\\\.\\C:", L"\\\\srv\\share\\..", L"1:\\a"}) {
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
