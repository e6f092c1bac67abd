#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <random>

#include "relocate/relaunch.h"
#include "support.h"

namespace {

std::vector<std::wstring> Split(const std::wstring& line) {
  int count = 0;
  wchar_t** split = CommandLineToArgvW(line.c_str(), &count);
  std::vector<std::wstring> values(split, split + count);
  LocalFree(split);
  return values;
}

Arguments WithLang(const std::wstring& lang) {
  Arguments arguments;
  arguments.lang = lang;
  return arguments;
}

}  // namespace

// Backslashes before quotes and at the end, quotes, blanks, tabs, non-Latin
// text and surrogate pairs, in every mix, come back whole from the splitting.
TEST(Relaunch, QuotedValuesSurviveTheRuntimesSplitting) {
  const std::wstring pieces[] = {L"\\", L"\\\\\\", L"\"", L" ", L"\t", L"a", L"\u4e2d", L"\U0001F600", L"="};
  std::mt19937 random(20240601);
  for (int round = 0; round < 2000; ++round) {
    std::wstring value;
    for (size_t n = random() % 10; n > 0; --n) value += pieces[random() % 9];
    EXPECT_EQ(Split(L"x.exe " + QuoteArgument(value) + L" " + QuoteArgument(value)),
              (std::vector<std::wstring>{L"x.exe", value, value}));
  }
  EXPECT_EQ(QuoteArgument(L"C:\\a b\\c"), L"\"C:\\a b\\c\"");  // nothing doubled where no quote follows
}

TEST(Relaunch, LineCarriesExtdirStageOrigdirAndWhatWasGiven) {
  const std::wstring copy = L"C:\\Temp\\PexloPlayAiUninstall\\812_905\\u.exe";
  EXPECT_EQ(WorkFolderPath(L"C:\\Temp\\", 812, 905) + L"u.exe", copy);
  EXPECT_EQ(WorkFolderPath(L"C:\\Temp", 0, 4294967295UL), L"C:\\Temp\\PexloPlayAiUninstall\\0_4294967295\\");
  const std::wstring base = L"\"" + copy + L"\" extdir=\"D:\\Ext\\A\" stage=2 origdir=\"D:\\Ext\\A\"";
  EXPECT_EQ(BuildRelaunchLine(copy, L"D:\\Ext\\A", L"D:\\Ext\\A\\", WithLang(L"pt"), L""), base + L" lang=\"pt\"");
  EXPECT_EQ(BuildRelaunchLine(copy, L"D:\\Ext\\A", L"D:\\Ext\\A/\\", WithLang(L""), L""), base);
  Arguments unattended = WithLang(L"");
  unattended.silent = unattended.wait = true;
  EXPECT_EQ(BuildRelaunchLine(copy, L"D:\\Ext\\A", L"D:\\Ext\\A", unattended, L"124"),
            base + L" silent=\"1\" outcome=\"124\"");
  // A value that still carries enclosing quotes reaches the copy with them.
  for (const std::wstring lang : {L"\"zh\"", L"\"\"", L"\"", L"z\"h\\"}) {
    const auto split = Split(BuildRelaunchLine(copy, L"T:\\e", L"T:\\l", WithLang(lang), L""));
    ASSERT_EQ(split.size(), 5u);
    std::wstring value = split[4].substr(5);
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') value = value.substr(1, value.size() - 2);
    EXPECT_EQ(value, lang);
  }
}

TEST(Relaunch, CreateDirectoryTreeMakesWhatIsMissingWithinTheClassicLimit) {
  const std::wstring root = MakeSandbox(L"tree");
  WriteFileText(root + L"\\file", L"x");
  EXPECT_TRUE(CreateDirectoryTree(root + L"/x//y\\z/"));
  EXPECT_TRUE(PathExists(root + L"\\x\\y\\z"));
  EXPECT_TRUE(CreateDirectoryTree(root + L"\\file\\"));  // anything that exists counts
  EXPECT_FALSE(CreateDirectoryTree(root + L"\\file\\sub"));
  EXPECT_FALSE(CreateDirectoryTree(L"\\/"));
  const std::wstring fits = root + L"\\" + std::wstring(259 - root.size() - 1, L'f');
  EXPECT_TRUE(CreateDirectoryTree(fits));
  EXPECT_FALSE(CreateDirectoryTree(root + L"\\long\\" + std::wstring(260 - root.size() - 6, L'l')));
  EXPECT_FALSE(PathExists(root + L"\\long"));  // nothing made on the way
}
