// Windows as callers and machines have it: a caller's job, a file held for a
// moment. (The foreground is the full run's, a hidden start and a drive that
// does not answer are refusal cases.)
#include <thread>

#include "support.h"

using Windows = CleanState;

// A deployment agent's job ends its processes once it closes, here as soon as
// the first process has ended. The copy leaves a job that allows it and
// finishes the removal; where it may not, the first process removes the
// extension itself and ends with the outcome. Meanwhile another program (a
// virus scanner) holds a file for a moment: it is deleted once let go.
TEST_F(Windows, CallersJobNeverEndsTheRemovalHalfwayNorDoesAFileHeldForAMoment) {
  for (bool breakaway : {true, false}) {
    SCOPED_TRACE(breakaway ? "breakaway allowed" : "no breakaway");
    const Scene scene(L"job");
    FileHandle hold = Hold(scene.ext + L"\\js\\main.js");
    std::thread release([&hold] {
      Sleep(1000);
      hold.reset();
    });
    RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" silent=1");
    options.jobLimits = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | (breakaway ? JOB_OBJECT_LIMIT_BREAKAWAY_OK : 0);
    const RunResult run = RunChecked(std::move(options));
    release.join();
    EXPECT_EQ(run.processes.size(), breakaway ? 2u : 1u);
    EXPECT_EQ(run.ExitCode(run.processes.size() - 1), 0u);
    EXPECT_TRUE(IsAbsent(scene.ext));
    const Lines log = scene.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), L"[Stage1] The caller's job would end a copy with it: removing from here."),
              breakaway ? 0 : 1);
  }
}
