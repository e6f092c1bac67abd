// The copy's command line: its pieces, and the quoting that must bring every
// value back unchanged through the C runtime's splitting.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <random>
#include <vector>

#include "relocate/relaunch.h"
#include "sandbox.h"

namespace {

using Values = std::vector<std::wstring>;

// The runtime's documented splitting, in this process.
Values SplitInProcess(const std::wstring& line) {
  int count = 0;
  wchar_t** split = CommandLineToArgvW(line.c_str(), &count);
  Values values(split, split + count);
  LocalFree(split);
  return values;
}

// A program name first, then each value quoted, one blank between.
std::wstring LineOf(const Values& values) {
  std::wstring line = QuoteArgument(L"B:\\argv_echo.exe");
  for (const std::wstring& value : values) line += L" " + QuoteArgument(value);
  return line;
}

// Backslashes before quotes and at the end, quotes, blanks, tabs, non-Latin
// text and surrogate pairs, in every mix.
Values GeneratedValues(size_t count) {
  const Values pieces = {L"\\", L"\\", L"\\\\\\", L"\"", L"\"", L" ", L"\t", L"a", L"Z",
                         L"\u4e2d", L"\u00e9", L"\U0001F600", L"=", L":", L"/"};
  std::mt19937 random(20240601);
  Values values = {L"", L"\\", L"\\\\", L"\"", L"\"\"", L"\\\"", L"C:\\a\\\"b", L"en\\", L"a\\\\\"\\",
                   L" ", L"\t", L"a b\tc", L"\"C:\\x\"", L"\U0001F600\\", L"\u6269\u5c55 \"\\"};
  while (values.size() < count) {
    std::wstring value;
    for (size_t n = random() % 10; n > 0; --n) value += pieces[random() % pieces.size()];
    values.push_back(value);
  }
  return values;
}

// The plain form: a backslash before each double quote and nothing else.
std::wstring PlainQuoted(const std::wstring& value) {
  std::wstring quoted = L"\"";
  for (wchar_t c : value) quoted += (c == L'"') ? std::wstring(L"\\\"") : std::wstring(1, c);
  return quoted + L"\"";
}

bool NeedsDoubling(const std::wstring& value) {
  return (!value.empty() && value.back() == L'\\') || value.find(L"\\\"") != std::wstring::npos;
}

// What a real child process receives as its arguments 1 and on.
Values ChildArguments(const std::wstring& line) {
  const std::wstring out = MakeSandbox(L"argv") + L"\\argv.bin";
  SetEnvironmentVariableW(L"ARGV_ECHO_OUT", out.c_str());
  std::wstring writable = line;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(L"B:\\argv_echo.exe", &writable[0], nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process);
  SetEnvironmentVariableW(L"ARGV_ECHO_OUT", nullptr);
  EXPECT_TRUE(started);
  if (!started) return {};
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  Values values;
  const std::wstring all = ReadFileWide(out);
  for (size_t start = 0, end; (end = all.find(L'\0', start)) != std::wstring::npos; start = end + 1) {
    values.push_back(all.substr(start, end - start));
  }
  return values;
}

}  // namespace

TEST(RelaunchLine, ExampleRunGivesPathThenExtdirStageOrigdirLang) {
  const std::wstring work = WorkFolderPath(L"C:\\Temp\\", 812, 905);
  EXPECT_EQ(work, L"C:\\Temp\\PexloPlayAiUninstall\\812_905\\");
  EXPECT_EQ(BuildRelaunchLine(work + L"u.exe", L"D:\\Ext\\A", L"D:\\Ext\\A\\", L"pt"),
            std::wstring(L"\"C:\\Temp\\PexloPlayAiUninstall\\812_905\\u.exe\"") +
                L" extdir=\"D:\\Ext\\A\"" + L" stage=2" + L" origdir=\"D:\\Ext\\A\"" + L" lang=\"pt\"");
}

TEST(RelaunchLine, WorkFolderNumbersArePlainDecimals) {
  EXPECT_EQ(WorkFolderPath(L"C:\\Temp", 0, 4294967295UL), L"C:\\Temp\\PexloPlayAiUninstall\\0_4294967295\\");
  EXPECT_EQ(WorkFolderPath(L"C:/Temp/", 1000000, 7), L"C:/Temp/PexloPlayAiUninstall\\1000000_7\\");
}

TEST(RelaunchLine, LangPairOnlyWhenGivenAndThenRaw) {
  const std::wstring withoutLang = L"\"C:\\w\\u.exe\" extdir=\"D:\\E\" stage=2 origdir=\"D:\\L\"";
  EXPECT_EQ(BuildRelaunchLine(L"C:\\w\\u.exe", L"D:\\E", L"D:\\L\\", L""), withoutLang);
  EXPECT_EQ(BuildRelaunchLine(L"C:\\w\\u.exe", L"D:\\E", L"D:\\L\\", L"ZH"), withoutLang + L" lang=\"ZH\"");
  EXPECT_EQ(BuildRelaunchLine(L"C:\\w\\u.exe", L"D:\\E", L"D:\\L\\", L"p\"t "), withoutLang + L" lang=\"p\\\"t \"");
}

TEST(RelaunchLine, OrigdirLosesEveryTrailingSeparator) {
  EXPECT_EQ(BuildRelaunchLine(L"C:\\w\\u.exe", L"D:\\E", L"D:\\", L""),
            L"\"C:\\w\\u.exe\" extdir=\"D:\\E\" stage=2 origdir=\"D:\"");
  EXPECT_EQ(BuildRelaunchLine(L"C:\\w\\u.exe", L"", L"D:\\L/\\", L""),
            L"\"C:\\w\\u.exe\" extdir=\"\" stage=2 origdir=\"D:\\L\"");
}

TEST(QuoteArgument, DoublesOnlyBackslashesThatPrecedeAQuote) {
  EXPECT_EQ(QuoteArgument(L""), L"\"\"");
  EXPECT_EQ(QuoteArgument(L"C:\\a b\\c"), L"\"C:\\a b\\c\"");
  EXPECT_EQ(QuoteArgument(L"a\"b"), L"\"a\\\"b\"");
  EXPECT_EQ(QuoteArgument(L"C:\\a\\\"b"), L"\"C:\\a\\\\\\\"b\"");
  EXPECT_EQ(QuoteArgument(L"en\\"), L"\"en\\\\\"");
  EXPECT_EQ(QuoteArgument(L"a\\\\"), L"\"a\\\\\\\\\"");
}

TEST(QuoteArgument, PlainFormWhereNoBackslashMeetsAQuote) {
  for (const std::wstring& value : GeneratedValues(2000)) {
    if (NeedsDoubling(value)) continue;
    EXPECT_EQ(QuoteArgument(value), PlainQuoted(value)) << value;
  }
}

TEST(QuoteArgument, RuntimeSplittingGivesEveryValueBack) {
  const Values values = GeneratedValues(3000);
  for (size_t i = 0; i + 3 <= values.size(); i += 3) {
    const Values group(values.begin() + i, values.begin() + i + 3);
    const Values split = SplitInProcess(LineOf(group));
    ASSERT_EQ(split.size(), 4u) << LineOf(group);
    EXPECT_EQ(Values(split.begin() + 1, split.end()), group) << LineOf(group);
  }
}

TEST(QuoteArgument, ChildProcessReceivesEveryValueUnchanged) {
  const Values sample = GeneratedValues(60);
  const std::wstring line = LineOf(sample);
  const Values inProcess = SplitInProcess(line);
  EXPECT_EQ(ChildArguments(line), sample);
  EXPECT_EQ(Values(inProcess.begin() + 1, inProcess.end()), sample);
}

TEST(RelaunchLine, ChildReceivesTheFourPairsUnchanged) {
  const std::wstring extension = L"T:\\ext \u6269\u5c55\\\"x\\";
  const std::wstring launch = L"T:\\launch\t\U0001F600\\\\";
  const std::wstring lang = L"zh\\";
  EXPECT_EQ(ChildArguments(BuildRelaunchLine(L"B:\\argv_echo.exe", extension, launch, lang)),
            (Values{L"extdir=" + extension, L"stage=2", L"origdir=T:\\launch\t\U0001F600", L"lang=" + lang}));
}
