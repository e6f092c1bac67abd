// Generated hostile command lines through the real program, each run in a
// sandbox folder of its own: the run shows the boxes and ends with the exit
// codes that its line asks for, and touches nothing but the folder the line
// names. The seed is printed; FUZZ_SEED=<seed> replays a run of lines and
// FUZZ_RUNS=<count> sets how many.
#include <iostream>

#include "command_lines.h"
#include "faults_support.h"
#include "i18n/texts.h"
#include "sandbox.h"

namespace {

unsigned EnvironmentNumber(const wchar_t* name, unsigned fallback) {
  wchar_t text[32] = {};
  return GetEnvironmentVariableW(name, text, 32) ? static_cast<unsigned>(wcstoul(text, nullptr, 10)) : fallback;
}

unsigned Seed() { return EnvironmentNumber(L"FUZZ_SEED", GetTickCount() ^ (GetCurrentProcessId() << 16)); }

const size_t kCommandLineLimit = 32767;  // characters, with the closing NUL

struct Tally {
  int usage = 0, missing = 0, removed = 0, failed = 0, skipped = 0, notStarted = 0;
};

// One generated line through the program; false (after reporting) when
// anything was not as the line asks. The test stops at its first failure.
bool RunOneLine(std::mt19937& random, Tally& tally) {
  const Scene scene(L"line");
  // Cut at its first blank, this folder's path names nothing that exists.
  const std::wstring above = scene.root + L"\\Program Data", beside = above + L"\\\u6269\u5c55 \U0001F600";
  const LineTargets targets = {beside + L"\\com.pexlo.play.ai", scene.root + L"\\decoy", scene.launch};
  MakeExtension(targets.extension);
  const std::vector<std::wstring> canaries = {above + L"\\canary.txt", beside + L"\\canary.txt",
                                              scene.root + L"\\current\\canary.txt"};
  MakeFolder(targets.decoy + L"\\sub");
  WriteFileText(targets.decoy + L"\\canary.txt", L"decoy");
  RunOptions options = scene.Options(GenerateArguments(random, targets, kCommandLineLimit - scene.program.size() - 4));
  options.currentFolder = scene.root + L"\\current";
  MakeFolder(options.currentFolder);
  for (const std::wstring& canary : canaries) WriteFileText(canary, L"canary");
  options.timeoutMilliseconds = 30000;
  const ExpectedRun expected = ExpectedOutcome(SplitCommandLine(L"\"" + scene.program + L"\" " + options.arguments));
  // The line may name any folder; the program is only ever given one inside
  // this run's own sandbox folder.
  if (expected.verdict == ExpectedRun::Proceed && !IsWithin(expected.folder, scene.root)) {
    ++tally.skipped;
    return true;
  }
  const std::vector<std::wstring> skip = {scene.temp, scene.launch};
  const Snapshot before = TakeSnapshot(scene.root, skip);

  const RunResult run = RunProgram(options);
  // Wine now and then refuses to create a process for a line that Windows
  // would take; the program never ran, so there is nothing of it to check.
  if (run.startError != 0) {
    ++tally.notStarted;
    std::cout << "not started (error " << run.startError << "): " << Printable(options.arguments) << "\n";
    return true;
  }

  const auto texts = BuiltInTexts();
  const auto& text = texts.at(ParseLanguage(expected.lang, LanguageForUiLanguage(GetUserDefaultUILanguage())));
  SCOPED_TRACE("line: " + Printable(options.arguments));
  EXPECT_FALSE(run.timedOut);
  for (const SeenProcess& process : run.processes) EXPECT_LE(process.exitCode, 2u) << "crashed or killed";
  if (expected.verdict != ExpectedRun::Proceed) {
    const MessageId id = expected.verdict == ExpectedRun::Usage ? MessageId::Usage : MessageId::MissingExtDir;
    (id == MessageId::Usage ? tally.usage : tally.missing)++;
    EXPECT_EQ(run.processes.size(), 1u);
    EXPECT_EQ(run.ExitCode(0), 2u);
    EXPECT_EQ(run.boxes.size(), 1u);
    if (!run.boxes.empty()) {
      EXPECT_EQ(run.boxes[0].text, text.at(id));
      EXPECT_TRUE(run.boxes[0].IsError());
    }
    EXPECT_EQ(TouchedOutside(before, TakeSnapshot(scene.root, skip), L""), std::vector<std::wstring>{});
  } else {
    EXPECT_EQ(run.boxes.size(), 2u) << testing::PrintToString(BoxTexts(run));
    if (run.boxes.size() == 2) {
      EXPECT_EQ(run.boxes[0].text, text.at(MessageId::ConfirmRemoval));
      const bool removed = run.boxes[1].text == text.at(MessageId::Removed);
      (removed ? tally.removed : tally.failed)++;
      if (!removed) {
        EXPECT_EQ(run.boxes[1].text, text.at(MessageId::RemoveFailed));
      }
      // Every folder these lines can name and that exists can be removed.
      EXPECT_TRUE(removed) << Printable(expected.folder);
      EXPECT_EQ(PathExists(expected.folder), !removed) << Printable(expected.folder);
      for (const SeenProcess& process : run.processes) {
        if (process.processId == run.boxes[1].processId) {
          EXPECT_EQ(process.exitCode, removed ? 0u : 1u);
        }
      }
    }
    EXPECT_EQ(TouchedOutside(before, TakeSnapshot(scene.root, skip), expected.folder), std::vector<std::wstring>{})
        << Printable(expected.folder);
  }
  // Beside and above both the extension and the run's own one.
  EXPECT_TRUE(scene.CanariesIntact());
  for (const std::wstring& canary : canaries) EXPECT_EQ(ReadFileWide(canary), L"canary") << Printable(canary);
  return !testing::Test::HasFailure();
}

void RunLines(unsigned defaultCount) {
  const unsigned seed = Seed(), count = EnvironmentNumber(L"FUZZ_RUNS", defaultCount);
  std::cout << "FUZZ_SEED=" << seed << " FUZZ_RUNS=" << count << "\n";
  testing::Test::RecordProperty("seed", std::to_string(seed));
  std::mt19937 random(seed);
  Tally tally;
  unsigned index = 0;
  for (; index < count; ++index) {
    if (!RunOneLine(random, tally)) {
      ADD_FAILURE() << "line " << index << " of FUZZ_SEED=" << seed;
      break;
    }
  }
  std::cout << index << " lines: " << tally.usage << " usage, " << tally.missing << " missing extdir, "
            << tally.removed << " removed, " << tally.failed << " not removed, " << tally.skipped
            << " not run (naming a folder outside the run's sandbox), " << tally.notStarted
            << " not started by Wine\n";
  EXPECT_LE(tally.notStarted * 20, static_cast<int>(count)) << "Wine refused too many lines to start";
}

// Runs argv_echo with the arguments and returns the vector it was given.
std::vector<std::wstring> EchoArguments(const std::wstring& arguments, const std::wstring& out) {
  const std::wstring echo = BuiltProgram().substr(0, BuiltProgram().rfind(L'\\')) + L"\\argv_echo.exe";
  std::wstring line = L"\"" + echo + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  DeleteFileW(out.c_str());
  if (!CreateProcessW(echo.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return {L"<not started>"};
  }
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  const std::wstring all = ReadFileWide(out);
  std::vector<std::wstring> vector;
  for (size_t start = 0, end; (end = all.find(L'\0', start)) != std::wstring::npos; start = end + 1) {
    vector.push_back(all.substr(start, end - start));
  }
  return vector;
}

void CompareSplitting(unsigned defaultCount) {
  const unsigned seed = Seed(), count = EnvironmentNumber(L"FUZZ_RUNS", defaultCount);
  std::cout << "FUZZ_SEED=" << seed << " FUZZ_RUNS=" << count << "\n";
  std::mt19937 random(seed);
  const std::wstring root = MakeSandbox(L"split");
  const std::wstring out = root + L"\\argv.bin";
  SetEnvironmentVariableW(L"ARGV_ECHO_OUT", out.c_str());
  const LineTargets targets = {root + L"\\Program Data\\\u6269\u5c55 \U0001F600\\com.pexlo.play.ai", root + L"\\decoy",
                               root + L"\\launch"};
  for (unsigned index = 0; index < count; ++index) {
    const std::wstring arguments = GenerateArguments(random, targets, kCommandLineLimit - 64);
    ASSERT_EQ(EchoArguments(arguments, out), SplitArguments(arguments))
        << "line " << index << " of FUZZ_SEED=" << seed << ": " << Printable(arguments);
  }
}

}  // namespace

// The model of the runtime's splitting that the line checks rely on agrees
// with the runtime itself.
TEST(CommandLineSplitting, ModelAgreesWithTheRuntime) { CompareSplitting(100); }
TEST(CommandLineSplitting, SlowModelAgreesWithTheRuntimeOnManyLines) { CompareSplitting(500); }

TEST_F(Faults, GeneratedCommandLinesEndAsTheyAsk) { RunLines(40); }
TEST_F(Faults, SlowGeneratedCommandLinesEndAsTheyAsk) { RunLines(200); }
