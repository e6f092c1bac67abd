// Windows as callers and machines have it: a caller's job, a desktop nobody
// sees, a file held for a moment. (The foreground is the full run's, a hidden
// start and a drive that does not answer are refusal cases.)
#include <thread>

#include "support.h"

using Windows = CleanState;

namespace {

constexpr wchar_t kJobWouldEnd[] = L"[Stage1] The caller's job would end a copy with it: removing from here.";
constexpr wchar_t kJobKeeps[] = L"[Stage1] The caller's job does not let a copy leave: removing from here.";
constexpr wchar_t kUnseen[] = L"[Boxes] The window station is not visible, nobody could answer a box: running as with silent=1.";

// Where a run is started from. A deployment agent's job ends its processes
// once it closes, here as soon as the first process has ended; a tool's job
// may sit inside it. PowerShell's Start-Process -Wait makes a job without
// limits and waits until it is empty. A task that runs whether the user is
// logged on or not has a window station nobody sees, where a box is never
// answered.
struct Placement {
  const char* name;
  std::vector<DWORD> jobLimits;  // the outermost first
  const wchar_t* switches;
  const wchar_t* line;  // why the first process removed the extension itself; none: the copy did
  bool unseenDesktop = false, throughPowerShell = false;
};

}  // namespace

// Wherever it is started, the run finishes the removal, the caller gets 0,
// and nothing is left in the work folders' home: the copy leaves a job that
// allows it, runs in one that cannot end it, and where it would stay in one
// that may end it (Windows reads the job's limits, Wine reads none and the
// start tells; a breakaway that stops at an outer job is found while the
// copy is suspended) it goes unrun and the first process removes the
// extension itself, keeping its own file. On a station nobody sees the run
// shows no box, as with silent=1. Meanwhile another program (a virus
// scanner) holds a file for a moment: it is deleted once let go.
TEST_F(Windows, NoPlacementEndsTheRemovalHalfwayNorLeavesACopyNorWaitsOnABox) {
  constexpr DWORD kKill = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE, kLets = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
  const std::wstring powershell = L"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe";
  for (const Placement& placement : {
           Placement{"breakaway allowed", {kKill | kLets}, L"silent=1", nullptr},
           Placement{"no breakaway", {kKill}, L"silent=1", OnWindows() ? kJobWouldEnd : kJobKeeps},
           Placement{"a job without limits, as PowerShell's", {0}, L"silent=1 wait=1", OnWindows() ? nullptr : kJobKeeps},
           Placement{"a job without limits, with boxes", {0}, L"wait=1", OnWindows() ? nullptr : kJobKeeps},
           Placement{"breakaway allowed inside a job that forbids it", {kKill, kKill | kLets}, L"silent=1", kJobKeeps},
           Placement{"a window station nobody sees", {}, L"wait=1", nullptr, true},
           Placement{"PowerShell's Start-Process -Wait", {}, L"silent=1", nullptr, false, true},
       }) {
    SCOPED_TRACE(placement.name);
    const Scene scene(L"placed");
    const std::wstring arguments = L"extdir=\"" + scene.ext + L"\" " + placement.switches;
    RunOptions options = scene.Options(arguments);
    options.jobLimits = placement.jobLimits;
    options.desktop = placement.unseenDesktop ? UnseenDesktop() : L"";
    if (placement.unseenDesktop && options.desktop.empty()) {
      SkipCheck("a window station nobody sees: none could be made");
      continue;
    }
    const ScopedVariables given({{L"PEXLO_TEST_PROGRAM", scene.program}, {L"PEXLO_TEST_ARGUMENTS", arguments}});
    if (placement.throughPowerShell) {
      options.program = powershell;
      options.arguments = L"-NoProfile -Command \"Start-Process -Wait $env:PEXLO_TEST_PROGRAM $env:PEXLO_TEST_ARGUMENTS\"";
    }
    options.timeoutMilliseconds = 30000;  // a box nobody sees would hold the run until then
    FileHandle hold = Hold(scene.ext + L"\\js\\main.js");
    std::thread release([&hold] {
      Sleep(1000);
      hold.reset();
    });
    const RunResult run = RunChecked(std::move(options));
    release.join();
    const Lines log = scene.Log();
    if (placement.throughPowerShell && log.empty()) {
      SkipCheck("a run started by PowerShell's Start-Process -Wait: PowerShell did not run the program (Wine's runs nothing)");
      continue;
    }
    EXPECT_EQ(run.ExitCode(0), 0u);
    EXPECT_EQ(run.boxes.empty(), placement.unseenDesktop || std::wstring(placement.switches).find(L"silent") == 0);
    EXPECT_TRUE(IsAbsent(scene.ext));
    for (const wchar_t* line : {kJobWouldEnd, kJobKeeps, kUnseen}) {
      const bool expected = line == placement.line || (line == kUnseen && placement.unseenDesktop);
      EXPECT_EQ(std::count(log.begin(), log.end(), line), expected ? 1 : 0) << testing::PrintToString(std::wstring(line));
    }
    if (placement.line) {
      EXPECT_TRUE(Exists(scene.program));
    } else {
      EXPECT_TRUE(GoneSoon(scene.program));  // the copy's clean-up
    }
    for (const auto& [path, content] : TakeSnapshot(JoinPath(scene.temp, kWorkFolderName))) {
      EXPECT_TRUE(GoneSoon(path)) << testing::PrintToString(path);
    }
  }
}
