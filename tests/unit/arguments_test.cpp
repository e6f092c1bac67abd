#include <gtest/gtest.h>

#include "driver/args.h"
#include "driver/entry.h"

namespace {

// Reads an argument vector written as a list (the program path comes first).
Arguments Read(std::vector<std::wstring> arguments) {
  arguments.insert(arguments.begin(), L"B:\\pexloplay-ai-uninstaller.exe");
  std::vector<wchar_t*> vector;
  for (std::wstring& argument : arguments) vector.push_back(&argument[0]);
  return ReadArguments(static_cast<int>(vector.size()), vector.data());
}

}  // namespace

TEST(Arguments, LookupRules) {
  const struct {
    std::vector<std::wstring> line;
    std::wstring extdir;
  } cases[] = {
      {{L"extdir=C:\\a", L"extdir=C:\\b"}, L"C:\\a"},  // the first one wins
      {{L"extdir=", L"extdir=C:\\b"}, L""},            // even when empty
      {{L"EXTDIR=C:\\x", L"/extdir=C:\\x", L"xextdir=C:\\x", L"extdir C:\\x"}, L""},
      {{L"extdir=C:\\a=b"}, L"C:\\a=b"},
      {{L"extdir=\"C:\\a b\""}, L"C:\\a b"},
      {{L"extdir=\"\"C:\\a\"\""}, L"\"C:\\a\""},  // one pair of quotes only
      {{L"extdir=\""}, L"\""},
      {{L"extdir=\"C:\\a"}, L"\"C:\\a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.line).extdir, c.extdir) << testing::PrintToString(c.line);

  std::wstring programOnly = L"extdir=C:\\x";
  wchar_t* vector[] = {&programOnly[0]};
  EXPECT_EQ(GetArgValue(1, vector, L"extdir"), L"");  // element 0 is never searched
  EXPECT_FALSE(ReadArguments(1, vector).any);
  const Arguments all = Read({L"stage=2", L"origdir=\"D:\\L\"", L"lang=pt", L"outcome=12"});
  EXPECT_TRUE(all.any && all.IsCopy());
  EXPECT_EQ(all.origdir + all.lang + all.outcome, L"D:\\Lpt12");
  EXPECT_FALSE(Read({L"stage=02"}).IsCopy());
}

TEST(Arguments, SwitchesAreOnlyOnForOneTrueOrYes) {
  for (const wchar_t* on : {L"1", L"true", L"TRUE", L"Yes", L"\"yes\""}) {
    EXPECT_TRUE(Read({std::wstring(L"silent=") + on}).silent) << on;
    EXPECT_TRUE(Read({std::wstring(L"wait=") + on}).wait) << on;
  }
  for (const wchar_t* off : {L"", L"0", L"2", L"no", L"on", L" 1", L"yes ", L"truex", L"\uff59es"}) {
    const Arguments arguments = Read({std::wstring(L"silent=") + off, std::wstring(L"wait=") + off});
    EXPECT_FALSE(arguments.silent || arguments.wait) << off;
  }
  EXPECT_FALSE(Read({L"SILENT=1", L"WAIT=1"}).silent || Read({L"Wait=1"}).wait);
}

// Only a folder below a drive root or share, named as written, may be given
// to the removal; anything else counts as a missing extdir.
TEST(Arguments, ExtdirMustNameAFolderBelowARoot) {
  for (const wchar_t* accepted :
       {L"C:\\a", L"c:/Users/me/AppData/Roaming/Adobe/CEP/extensions/com.pexlo.play.ai", L"T:\\ext dir\\\u6269\u5c55",
        L"\\\\srv\\share\\ext", L"//srv/share/a/b", L"C:\\a\\\\b", L"C:\\a\\\\//", L"C:\\.hidden", L"C:\\..a",
        L"C:\\CONSOLE", L"C:\\a\\COM10", L"C:\\NULL", L"C:\\.con", L"C:\\com0", L"C:\\auxiliary.txt", L"C:\\CONIN"}) {
    EXPECT_TRUE(IsUsableExtdir(accepted)) << testing::PrintToString(std::wstring(accepted));
  }
  for (const wchar_t* refused :
       {L"", L"\\", L"C:", L"C:\\", L"C:ext", L"\\ext", L"ext", L"\\\\srv\\share", L"\\\\srv", L"\\\\", L"C:\\a\\..",
        L"C:\\a\\..\\..", L"C:\\.", L"C:\\a\\.\\b", L"C:\\a\\*", L"C:\\a?", L"C:\\a\\b:c", L"C:\\a\"", L"C:\\a<b",
        L"C:\\a>b", L"C:\\a|b", L"C:\\a\tb", L"C:\\a.", L"C:\\a ", L"C:\\...", L"\\\\?\\C:\\a", L"\\\\.\\C:\\a",
        L"\\\\srv\\share\\..", L"1:\\a", L"C:\\a\\NUL", L"C:\\con\\x", L"C:\\a\\nul.txt", L"C:\\COM1", L"C:\\a\\lpt9.log",
        L"C:\\Aux .x", L"\\\\srv\\share\\prn", L"C:\\COM\u00b9", L"C:\\a\\lpt\u00b2.txt", L"C:\\LPT\u00b3",
        L"C:\\CONIN$", L"C:\\a\\conout$.log"}) {
    EXPECT_FALSE(IsUsableExtdir(refused)) << testing::PrintToString(std::wstring(refused));
  }
  // Windows would call a folder of 260 characters or more absent, and so removed.
  EXPECT_TRUE(IsUsableExtdir(L"T:\\" + std::wstring(256, L'a') + L"\\\\"));
  EXPECT_FALSE(IsUsableExtdir(L"T:\\" + std::wstring(257, L'a')));
}
