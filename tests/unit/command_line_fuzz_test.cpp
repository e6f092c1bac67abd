// Generated hostile command lines through the program's own argument
// handling, in this process: nothing here can relaunch, show a box or
// delete. The seed is printed; FUZZ_SEED=<seed> replays a run.
#include <gtest/gtest.h>

#include <iostream>

#include "command_lines.h"
#include "common/paths.h"
#include "driver/args.h"
#include "driver/entry.h"
#include "i18n/texts.h"
#include "relocate/relaunch.h"

namespace {

unsigned SeedFromEnvironment() {
  wchar_t text[32] = {};
  if (GetEnvironmentVariableW(L"FUZZ_SEED", text, 32)) return static_cast<unsigned>(wcstoul(text, nullptr, 10));
  return static_cast<unsigned>(GetTickCount() ^ (GetCurrentProcessId() << 16));
}

struct Vector {
  explicit Vector(std::vector<std::wstring> items) : strings(std::move(items)) {
    for (std::wstring& s : strings) pointers.push_back(&s[0]);
  }
  int Count() const { return static_cast<int>(pointers.size()); }
  wchar_t** Data() { return pointers.data(); }
  std::vector<std::wstring> strings;
  std::vector<wchar_t*> pointers;
};

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(32768, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), 32768, &full[0], nullptr));  // string work only
  return full;
}

// The copy takes one pair of enclosing quotes off each value, so a value
// that still has such a pair is handed over with one more.
std::wstring EnclosedForCopy(const std::wstring& value) {
  return value.size() >= 2 && value.front() == L'"' && value.back() == L'"' ? L"\"" + value + L"\"" : value;
}

const std::wstring kProgram = L"B:\\pexloplay-ai-uninstaller.exe";
const std::wstring kRoot = L"T:\\fuzz";
const LineTargets kTargets = {kRoot + L"\\Adobe CEP\\\u6269\u5c55 \U0001F600\\com.pexlo.play.ai", kRoot + L"\\decoy",
                              kRoot + L"\\launch dir"};
const std::wstring kCopy = L"T:\\temp \u4e34\u65f6\\PexloPlayAiUninstall\\12_345\\pexloplay-ai-uninstaller.exe";
constexpr int kVectors = 20000;

}  // namespace

TEST(HostileCommandLines, EachGeneratedVectorGetsTheVerdictItAsksForAndRelaunchesIntact) {
  const unsigned seed = SeedFromEnvironment();
  std::cout << "FUZZ_SEED=" << seed << " (" << kVectors << " vectors)\n";
  RecordProperty("seed", std::to_string(seed));
  std::mt19937 random(seed);
  const auto texts = BuiltInTexts();
  int accepted = 0, refused = 0;

  for (int index = 0; index < kVectors; ++index) {
    const std::wstring arguments = GenerateArguments(random, kTargets, 32000);
    Vector vector(SplitCommandLine(L"\"" + kProgram + L"\" " + arguments));
    SCOPED_TRACE("FUZZ_SEED=" + std::to_string(seed) + " vector " + std::to_string(index) + ": " +
                 Printable(arguments));
    const ArgumentCheck check = CheckArguments(vector.Count(), vector.Data());
    const ExpectedRun expected = ExpectedOutcome(vector.strings);

    ASSERT_EQ(check.langValue, expected.lang);
    const Language language = ParseLanguage(check.langValue, Language::English);
    if (expected.verdict != ExpectedRun::Proceed) {
      ++refused;
      ASSERT_FALSE(check.accepted);
      ASSERT_EQ(check.refusal, expected.verdict == ExpectedRun::Usage ? MessageId::Usage : MessageId::MissingExtDir);
      ASSERT_FALSE(texts.at(language).at(check.refusal).empty());
      continue;
    }
    ++accepted;
    ASSERT_TRUE(check.accepted);
    ASSERT_EQ(check.extensionFolder, expected.folder);
    // Windows takes the folder as written (no dots to resolve, nothing to
    // drop), so however it is spelled it is never above the extension.
    const std::wstring full = FullPath(check.extensionFolder);
    ASSERT_EQ(CanonicalPath(full), CanonicalPath(check.extensionFolder)) << Printable(full);
    ASSERT_TRUE(IsWithin(full, kTargets.extension) || !IsWithin(kTargets.extension, full)) << Printable(full);

    // The copy is handed exactly this folder and language.
    Vector relaunch(SplitCommandLine(BuildRelaunchLine(kCopy, check.extensionFolder, kTargets.launch, check.langValue)));
    std::vector<std::wstring> expectedLine = {kCopy, L"extdir=" + check.extensionFolder, L"stage=2",
                                              L"origdir=" + kTargets.launch};
    if (!check.langValue.empty()) expectedLine.push_back(L"lang=" + EnclosedForCopy(check.langValue));
    ASSERT_EQ(relaunch.strings, expectedLine);
    const ArgumentCheck copy = CheckArguments(relaunch.Count(), relaunch.Data());
    ASSERT_TRUE(copy.accepted);
    ASSERT_EQ(copy.extensionFolder, check.extensionFolder);
    ASSERT_EQ(copy.langValue, check.langValue);
    ASSERT_EQ(GetArgValue(relaunch.Count(), relaunch.Data(), L"stage"), L"2");
  }
  std::cout << accepted << " accepted, " << refused << " refused\n";
  EXPECT_GT(accepted, kVectors / 5);
  EXPECT_GT(refused, kVectors / 5);
}

// GetArgValue takes one pair of enclosing quotes off; a value that keeps
// such a pair after that must still have it in the copy.
TEST(RelaunchLine, ValuesThatKeepEnclosingQuotesReachTheCopyUnchanged) {
  for (const std::wstring& lang : {std::wstring(L"\"zh\""), std::wstring(L"\"\""), std::wstring(L"\"\"\""),
                                   std::wstring(L"\"   extdir=\""), std::wstring(L"\""), std::wstring(L"z\"h")}) {
    Vector copy(SplitCommandLine(BuildRelaunchLine(kCopy, L"T:\\ext", L"T:\\launch", lang)));
    EXPECT_EQ(CheckArguments(copy.Count(), copy.Data()).langValue, lang) << Printable(lang);
    EXPECT_EQ(GetArgValue(copy.Count(), copy.Data(), L"extdir"), L"T:\\ext");
    EXPECT_EQ(GetArgValue(copy.Count(), copy.Data(), L"origdir"), L"T:\\launch");
  }
}
