#include <gtest/gtest.h>

#include "e2e_support.h"
#include "sandbox.h"

namespace {

const wchar_t kEnglishUsage[] =
    L"Usage: pexloplay-ai-uninstaller.exe extdir=\"<extension folder>\" lang=en|zh|pt";
const wchar_t kEnglishMissing[] = L"Missing required argument extdir= (full path to com.pexlo.play.ai).";
const wchar_t kPortugueseMissing[] =
    L"Par\u00e2metro obrigat\u00f3rio ausente: extdir= (caminho completo para com.pexlo.play.ai).";
const wchar_t kChineseTitle[] = L"Pexlo Play \u5378\u8f7d\u7a0b\u5e8f";

// Runs the program with the arguments and checks that it refused them: one
// error box with the expected text, exit code 2, nothing but the banner
// logged, no second process, nothing touched.
void ExpectRefused(const std::wstring& arguments, const std::wstring& caption, const std::wstring& text) {
  SCOPED_TRACE(arguments);
  const Scene scene(L"refused");
  const RunResult run = RunProgram(scene.Options(arguments));
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].caption, caption);
  EXPECT_EQ(run.boxes[0].text, text);
  EXPECT_EQ(run.boxes[0].style, static_cast<DWORD>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(run.processes.size(), 1u);
  EXPECT_EQ(run.ExitCode(0), 2u);
  EXPECT_EQ(scene.Log(), std::vector<std::wstring>{kBanner});
  EXPECT_TRUE(PathExists(scene.ext + L"\\CSXS\\manifest.xml"));
  EXPECT_TRUE(scene.CanariesIntact());
}

}  // namespace

TEST(Entry, NoArgumentsShowsUsageAndLogsOnlyTheBanner) {
  ExpectRefused(L"", L"Pexlo Play Uninstaller", kEnglishUsage);
}

TEST(Entry, ArgumentsWithoutExtdirShowMissingExtDirInTheSelectedLanguage) {
  ExpectRefused(L"lang=pt", L"Desinstalador Pexlo Play", kPortugueseMissing);
  ExpectRefused(L"EXTDIR=T:\\x /extdir=T:\\x lang=en", L"Pexlo Play Uninstaller", kEnglishMissing);
  ExpectRefused(L"extdir= extdir=T:\\later", L"Pexlo Play Uninstaller", kEnglishMissing);
  ExpectRefused(L"extdir=\"\"", L"Pexlo Play Uninstaller", kEnglishMissing);
}

// Roots, drive-relative, rooted and relative values would reach far beyond
// the extension, so they are refused like a missing value.
TEST(Entry, ExtdirThatIsNotAFolderBelowARootIsRefused) {
  for (const wchar_t* value : {L"T:\\", L"T:", L"T:/", L"T:ext", L"\\ext", L"ext", L"\\\\srv\\share", L"\\",
                               L"\\/\\", L"T:\\a\\..", L"T:\\a\\..\\..\\x", L"T:\\*", L"T:\\refused_*",
                               L"T:\\a?"}) {
    ExpectRefused(std::wstring(L"extdir=\"") + value + L"\" lang=en", L"Pexlo Play Uninstaller", kEnglishMissing);
  }
}

TEST(Entry, ExtdirLosesItsTrailingSeparatorsBeforeItIsLogged) {
  const Scene scene(L"trim");
  RunOptions options = scene.Options(L"extdir=" + scene.ext + L"\\\\// lang=en");
  const RunResult run = RunProgram(options);
  const std::vector<std::wstring> log = scene.Log();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], kBanner);
  EXPECT_EQ(log[1], L"extdir: " + scene.ext);
  EXPECT_EQ(run.ExitCode(0), 0u);
}

// The suites below run in a Wine process of their own whose locale selects
// the Windows UI language (see tests/CMakeLists.txt).
TEST(ChineseUi, NoArgumentsShowsChineseUsage) {
  ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()), LANG_CHINESE);
  ExpectRefused(L"", kChineseTitle,
                L"\u7528\u6cd5: pexloplay-ai-uninstaller.exe extdir=\"<\u6269\u5c55\u76ee\u5f55>\" lang=en|zh|pt");
}

TEST(ChineseUi, LangValueOverridesTheUiLanguage) {
  ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()), LANG_CHINESE);
  ExpectRefused(L"lang=en", L"Pexlo Play Uninstaller", kEnglishMissing);
  ExpectRefused(L"lang=fr", L"Pexlo Play Uninstaller", kEnglishMissing);
  ExpectRefused(L"lang=pt-BR", L"Desinstalador Pexlo Play", kPortugueseMissing);
  ExpectRefused(L"lang=", kChineseTitle,
                L"\u7f3a\u5c11\u53c2\u6570 extdir=\uff08CEP \u6269\u5c55 com.pexlo.play.ai "
                L"\u7684\u5b8c\u6574\u8def\u5f84\uff09\u3002");
}

TEST(PortugueseUi, NoArgumentsShowsPortugueseUsage) {
  ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()), LANG_PORTUGUESE);
  ExpectRefused(L"", L"Desinstalador Pexlo Play",
                L"Uso: pexloplay-ai-uninstaller.exe extdir=\"<pasta da extens\u00e3o>\" lang=en|zh|pt");
  ExpectRefused(L"lang=ZH", kChineseTitle,
                L"\u7f3a\u5c11\u53c2\u6570 extdir=\uff08CEP \u6269\u5c55 com.pexlo.play.ai "
                L"\u7684\u5b8c\u6574\u8def\u5f84\uff09\u3002");
}
