// Windows as callers and machines have it: a caller's job, the foreground, a
// hidden start, a drive that does not answer, a file held for a moment.
#include <thread>

#include "support.h"

using Windows = CleanState;

// A deployment agent's job ends its processes once it closes, here as soon as
// the first process has ended. The copy leaves a job that allows it and
// finishes the removal; where it may not, the first process removes the
// extension itself and ends with the outcome.
TEST_F(Windows, CallersJobNeverEndsTheRemovalHalfway) {
  for (bool breakaway : {true, false}) {
    SCOPED_TRACE(breakaway ? "breakaway allowed" : "no breakaway");
    const Scene scene(L"job");
    RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" silent=1");
    options.jobLimits = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | (breakaway ? JOB_OBJECT_LIMIT_BREAKAWAY_OK : 0);
    const RunResult run = RunChecked(std::move(options));
    EXPECT_EQ(run.processes.size(), breakaway ? 2u : 1u);
    EXPECT_EQ(run.ExitCode(run.processes.size() - 1), 0u);
    EXPECT_TRUE(IsAbsent(scene.ext));
    const Lines log = scene.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), L"[Stage1] The caller's job would end a copy with it: removing from here."),
              breakaway ? 0 : 1);
  }
}

// The first process lets its copy's boxes come to the front. Started hidden
// (NSIS nsExec, Inno Setup's runhidden), the first process's own box is
// shown all the same.
TEST_F(Windows, BoxesAreShownAndMayComeToTheFront) {
  const Scene scene(L"front");
  const RunResult run = RunChecked(scene.Options(L"extdir=\"" + scene.ext + L"\" silent=1"));
  ASSERT_EQ(run.processes.size(), 2u);
  if (HaveTrace()) {
    const auto calls = TracedCalls(run.processes[0].processId, "user32.AllowSetForegroundWindow");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(TracedNumber(calls[0][0]), run.processes[1].processId);
  } else {
    SkipCheck("whether the copy may come to the front: it needs Wine's call trace");
  }
  RunOptions hidden = scene.Options(L"lang=pt");
  hidden.startHidden = true;
  hidden.timeoutMilliseconds = 15000;
  hidden.program = PlaceProgram(scene.launch);  // the run above deleted it
  EXPECT_EQ(RunChecked(std::move(hidden)).Texts(), Lines{Text(Language::Portuguese, MessageId::MissingExtDir)});
}

// A drive letter that nothing maps (an elevated process does not see the
// user's) says "not found" of every path on it: the folder may be there for
// the user, so it is never reported removed.
TEST_F(Windows, FolderOnADriveThatDoesNotAnswerIsNotRemoved) {
  const Scene scene(L"no_drive");
  wchar_t letter = L'Q';
  while (letter < L'Z' && (GetLogicalDrives() & (1u << (letter - L'A')))) ++letter;
  const std::wstring folder = std::wstring(1, letter) + L":\\pexloplay-ai-uninstaller-tests\\" + kBundleId;
  const RunResult run = RunChecked(scene.Options(L"extdir=" + folder + L" silent=1 wait=1"));
  EXPECT_EQ(run.ExitCode(0), 1u);
  EXPECT_EQ(scene.Log(), (Lines{kBanner, L"extdir: " + folder, L"[Delete] Cannot look into the folder, nothing deleted: " + folder,
                                L"Failed to delete extension directory."}));
}

// A file that another program holds for a moment (a virus scanner) is
// deleted once it is let go; one held throughout fails the run as ever.
TEST_F(Windows, FileHeldForAMomentIsDeletedOnceLetGo) {
  const Scene scene(L"moment");
  FileHandle hold = Hold(scene.ext + L"\\js\\main.js");
  std::thread release([&hold] {
    Sleep(1000);
    hold.reset();
  });
  const RunResult run = RunChecked(scene.Options(L"extdir=\"" + scene.ext + L"\" silent=1 wait=1"));
  release.join();
  EXPECT_EQ(run.ExitCode(0), 0u);
  EXPECT_TRUE(IsAbsent(scene.ext));
}
