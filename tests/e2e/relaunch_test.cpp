// Stage 1 with the real program: it copies itself into a work folder of its
// own, starts the copy there and ends; the copy then does the removal.
#include <gtest/gtest.h>

#include "driver.h"
#include "sandbox.h"

namespace {

using Lines = std::vector<std::wstring>;

const wchar_t kBanner[] = L"--- Pexlo Play AI extension uninstaller start ---";
const wchar_t kProgramName[] = L"pexloplay-ai-uninstaller.exe";

Lines Names(const std::wstring& folder) {
  Lines names;
  WIN32_FIND_DATAW entry = {};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (wcscmp(entry.cFileName, L".") != 0 && wcscmp(entry.cFileName, L"..") != 0) names.push_back(entry.cFileName);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

// One run from its own launch folder, removing an extension folder made for it.
struct LaunchRun {
  LaunchRun(const std::wstring& root, const std::wstring& temp, const std::wstring& name) {
    extension = root + L"\\" + name + L" \u6269\u5c55";
    MakeFolder(extension);
    WriteFileText(extension + L"\\manifest.xml", L"x");
    RunOptions options;
    options.program = PlaceProgram(root + L"\\launch " + name);
    options.arguments = L"extdir=\"" + extension + L"\" lang=en";
    options.tempFolder = temp;
    result = RunProgram(options);
  }
  std::wstring extension;
  RunResult result;
};

}  // namespace

TEST(Relaunch, StageOneEndsAfterThreeLinesAndTheCopyRunsFromItsWorkFolder) {
  const std::wstring root = MakeSandbox(L"relaunch_e2e");
  const std::wstring temp = root + L"\\temp";
  MakeFolder(temp);
  const LaunchRun run(root, temp, L"one");
  const RunResult& result = run.result;
  ASSERT_FALSE(result.timedOut);
  ASSERT_EQ(result.processes.size(), 2u);
  EXPECT_EQ(result.ExitCode(0), 0u);

  const Lines works = Names(temp + L"\\PexloPlayAiUninstall");
  ASSERT_EQ(works.size(), 1u);
  const std::wstring prefix = std::to_wstring(result.processes[0].processId) + L"_";
  EXPECT_EQ(works[0].substr(0, prefix.size()), prefix);
  const std::wstring work = temp + L"\\PexloPlayAiUninstall\\" + works[0] + L"\\";
  const std::wstring copy = work + kProgramName;
  EXPECT_EQ(Names(work), Lines{std::wstring(kProgramName)});
  EXPECT_TRUE(ReadFileBytes(copy) == ReadFileBytes(BuiltProgram()));
  EXPECT_EQ(result.processes[1].imagePath, copy);
  EXPECT_EQ(result.processes[1].currentFolder, work);

  // Stage 1 writes three lines; the copy's own lines begin with its banner.
  const Lines log = ReadLogLines(temp);
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(Lines(log.begin(), log.begin() + 4),
            (Lines{kBanner, L"extdir: " + run.extension, L"[Stage1] Relaunching from temp: " + copy, kBanner}));

  // The copy received the extension folder whole and removed it; every box was its own.
  EXPECT_EQ(log[4], L"extdir: " + run.extension);
  EXPECT_EQ(result.ExitCode(1), 0u);
  EXPECT_FALSE(PathExists(run.extension));
  ASSERT_FALSE(result.boxes.empty());
  for (const SeenBox& box : result.boxes) EXPECT_EQ(box.processId, result.processes[1].processId);
}

TEST(Relaunch, TwoRunsGetTwoWorkFolders) {
  const std::wstring root = MakeSandbox(L"relaunch_e2e");
  const std::wstring temp = root + L"\\temp";
  MakeFolder(temp);
  const LaunchRun first(root, temp, L"first");
  const LaunchRun second(root, temp, L"second");
  ASSERT_EQ(first.result.processes.size(), 2u);
  ASSERT_EQ(second.result.processes.size(), 2u);

  const Lines works = Names(temp + L"\\PexloPlayAiUninstall");
  ASSERT_EQ(works.size(), 2u);
  EXPECT_NE(works[0], works[1]);
  for (const std::wstring& work : works) {
    EXPECT_EQ(Names(temp + L"\\PexloPlayAiUninstall\\" + work), Lines{std::wstring(kProgramName)}) << work;
  }
  EXPECT_NE(first.result.processes[1].currentFolder, second.result.processes[1].currentFolder);
}

// Only the exact value 2 marks the relaunched copy; it never relaunches again.
TEST(Relaunch, OnlyStageTwoSkipsTheRelaunch) {
  for (const wchar_t* stage : {L"2", L"1", L"3", L"02", L"", L"\"2 \""}) {
    SCOPED_TRACE(stage);
    const std::wstring root = MakeSandbox(L"relaunch_stage");
    const std::wstring temp = root + L"\\temp";
    const std::wstring extension = root + L"\\ext";
    MakeFolder(temp);
    MakeFolder(extension);
    RunOptions options;
    options.program = PlaceProgram(root + L"\\launch");
    options.arguments = L"extdir=" + extension + L" stage=" + stage;
    options.tempFolder = temp;
    const RunResult result = RunProgram(options);

    const bool relaunches = std::wstring(stage) != L"2";
    ASSERT_EQ(result.processes.size(), relaunches ? 2u : 1u);
    EXPECT_EQ(PathExists(temp + L"\\PexloPlayAiUninstall"), relaunches);
    const Lines log = ReadLogLines(temp);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[2].rfind(L"[Stage1] Relaunching from temp: ", 0) == 0, relaunches) << log[2];
    EXPECT_EQ(result.ExitCode(result.processes.size() - 1), 0u);
    EXPECT_FALSE(PathExists(extension));
  }
}
