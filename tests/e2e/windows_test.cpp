// Windows as callers and machines have it: a caller's job, a desktop nobody
// sees, a file held for a moment. (The foreground is the full run's, a hidden
// start and a drive that does not answer are refusal cases.)
#include <thread>

#include "support.h"

using Windows = CleanState;

namespace {

// Where a run is started from. A deployment agent's job ends its processes
// once it closes, here as soon as the first process has ended. A task that
// runs whether the user is logged on or not has a window station nobody
// sees, where a box is never answered.
struct Placement {
  const char* name;
  DWORD jobLimits;
  bool unseenDesktop;
};

}  // namespace

// The copy leaves a job that allows it and finishes the removal; where it may
// not, the first process removes the extension itself and ends with the
// outcome. On a station nobody sees, the run shows no box and ends by itself
// as with silent=1. Meanwhile another program (a virus scanner) holds a file
// for a moment: it is deleted once let go.
TEST_F(Windows, NoPlacementEndsTheRemovalHalfwayNorWaitsOnABoxNorOnAFileHeldForAMoment) {
  const std::wstring jobsLine = L"[Stage1] The caller's job would end a copy with it: removing from here.";
  const std::wstring unseenLine =
      L"[Boxes] The window station is not visible, nobody could answer a box: running as with silent=1.";
  for (const Placement& placement : {Placement{"breakaway allowed", JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK, false},
                                     Placement{"no breakaway", JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE, false},
                                     Placement{"a window station nobody sees", 0, true}}) {
    SCOPED_TRACE(placement.name);
    const Scene scene(L"placed");
    FileHandle hold = Hold(scene.ext + L"\\js\\main.js");
    std::thread release([&hold] {
      Sleep(1000);
      hold.reset();
    });
    RunOptions options = scene.Options(L"extdir=\"" + scene.ext + (placement.unseenDesktop ? L"\" wait=1" : L"\" silent=1"));
    options.jobLimits = placement.jobLimits;
    options.desktop = placement.unseenDesktop ? UnseenDesktop() : L"";
    if (placement.unseenDesktop && options.desktop.empty()) {
      release.join();
      SkipCheck("a window station nobody sees: none could be made");
      continue;
    }
    options.timeoutMilliseconds = 30000;  // a box nobody sees would hold the run until then
    const RunResult run = RunChecked(std::move(options));
    release.join();
    const bool removedHere = placement.jobLimits == JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ASSERT_EQ(run.processes.size(), removedHere ? 1u : 2u);
    EXPECT_EQ(run.ExitCode(0), 0u);
    EXPECT_EQ(run.ExitCode(run.processes.size() - 1), 0u);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(IsAbsent(scene.ext));
    if (!removedHere) {
      EXPECT_TRUE(GoneSoon(FolderOf(run.processes[1].imagePath)));  // the copy's work folder
    }
    const Lines log = scene.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), jobsLine), removedHere ? 1 : 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), unseenLine), placement.unseenDesktop ? 1 : 0);
  }
}
