#include <gtest/gtest.h>

#include <thread>

#include "e2e_support.h"
#include "sandbox.h"

namespace {

const wchar_t kConfirm[] =
    L"The Pexlo Play Illustrator extension will be removed.\nPlease close Adobe Illustrator, then click OK to continue.";
const wchar_t kRemoved[] = L"Extension removed. If files were in use, deletion will finish after the next restart.";
const wchar_t kFailed[] = L"Could not remove the extension folder. Close Illustrator and try again.";
const DWORD kInformation = MB_OK | MB_ICONINFORMATION;
const DWORD kError = MB_OK | MB_ICONERROR;

// Tests here change the user's CSXS keys and the restart list; they never
// run beside each other or the registry tests (RESOURCE_LOCK).
struct Uninstall : testing::Test {
  void SetUp() override {
    ClearPendingDeletions();
    for (int version = 8; version <= 14; ++version) DeleteRegistryTree(HKEY_CURRENT_USER, CsxsKey(version));
  }
  void TearDown() override { SetUp(); }
};

}  // namespace

TEST_F(Uninstall, RemovesTheExtensionTheDebugSwitchesAndItselfInTwoProcesses) {
  for (int version = 8; version <= 14; ++version) SetRegistryString(HKEY_CURRENT_USER, CsxsKey(version), L"PlayerDebugMode", L"1");
  SetRegistryDword(HKEY_CURRENT_USER, CsxsKey(10), L"LogLevel", 6);
  const Scene scene(L"full_run");

  const RunResult run = RunProgram(scene.Options(L"extdir=\"" + scene.ext + L"\" lang=en"));

  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(run.processes.size(), 2u);
  EXPECT_EQ(run.ExitCode(0), 0u);
  EXPECT_EQ(run.ExitCode(1), 0u);
  ASSERT_EQ(run.boxes.size(), 2u) << testing::PrintToString(BoxTexts(run));
  for (const SeenBox& box : run.boxes) {
    EXPECT_EQ(box.processId, run.processes[1].processId);
    EXPECT_EQ(box.caption, L"Pexlo Play Uninstaller");
    EXPECT_EQ(box.style, kInformation);
  }
  EXPECT_EQ(run.boxes[0].text, kConfirm);
  EXPECT_EQ(run.boxes[1].text, kRemoved);

  EXPECT_FALSE(PathExists(scene.ext));
  EXPECT_TRUE(scene.CanariesIntact());
  for (int version = 9; version <= 13; ++version) {
    EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(version), L"PlayerDebugMode")) << version;
  }
  EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(8), L"PlayerDebugMode"));
  EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(14), L"PlayerDebugMode"));
  EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(10), L"LogLevel"));

  // The launch executable and its emptied folder are gone; the copy, still
  // running when it asked, is listed for deletion at the next restart.
  const std::wstring copy = run.processes[1].imagePath;
  EXPECT_FALSE(PathExists(scene.program));
  EXPECT_FALSE(PathExists(scene.launch));
  EXPECT_TRUE(ListsPath(PendingDeletions(), copy)) << copy;
  EXPECT_EQ(copy.substr(0, scene.temp.size() + 22), scene.temp + L"\\PexloPlayAiUninstall\\");

  const std::vector<std::wstring> expected = {
      kBanner,
      L"extdir: " + scene.ext,
      L"[Stage1] Relaunching from temp: " + copy,
      kBanner,
      L"extdir: " + scene.ext,
      L"[Registry] Removed PlayerDebugMode from Software\\Adobe\\CSXS.9",
      L"[Registry] Removed PlayerDebugMode from Software\\Adobe\\CSXS.10",
      L"[Registry] Removed PlayerDebugMode from Software\\Adobe\\CSXS.11",
      L"[Registry] Removed PlayerDebugMode from Software\\Adobe\\CSXS.12",
      L"[Registry] Removed PlayerDebugMode from Software\\Adobe\\CSXS.13",
      L"[Delete] SHFileOperation removed: " + scene.ext,
      L"Extension directory deleted (or scheduled).",
      L"[Stage2] origdir: " + scene.launch + L"\\",
      L"[Stage2] Removed empty directory: " + scene.launch,
  };
  EXPECT_EQ(scene.Log(), expected);
}

TEST_F(Uninstall, FileHeldByAnotherProcessEndsInRemoveFailed) {
  const Scene scene(L"held");
  HeldFile held(scene.ext + L"\\js\\lib\\nested\\deeper\\dep.js");

  const RunResult run = RunProgram(scene.Options(L"extdir=\"" + scene.ext + L"\" lang=en"));

  ASSERT_EQ(run.processes.size(), 2u);
  EXPECT_EQ(run.ExitCode(0), 0u);
  EXPECT_EQ(run.ExitCode(1), 1u);
  ASSERT_EQ(run.boxes.size(), 2u) << testing::PrintToString(BoxTexts(run));
  EXPECT_EQ(run.boxes[1].text, kFailed);
  EXPECT_EQ(run.boxes[1].style, kError);
  EXPECT_EQ(scene.Log().back(), L"Failed to delete extension directory.");
  EXPECT_TRUE(PathExists(scene.ext + L"\\js\\lib\\nested\\deeper\\dep.js"));
  EXPECT_FALSE(PathExists(scene.ext + L"\\index.html"));
  EXPECT_TRUE(PathExists(scene.program));
  EXPECT_TRUE(PathExists(run.processes[1].imagePath));
  EXPECT_TRUE(scene.CanariesIntact());
}

TEST_F(Uninstall, ConfirmationClosedWithTheCloseButtonGoesOn) {
  const Scene scene(L"close_button");
  RunOptions options = scene.Options(L"extdir=" + scene.ext);
  options.closeInsteadOfOk = true;
  const RunResult run = RunProgram(options);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(run.boxes[1].text, kRemoved);
  EXPECT_FALSE(PathExists(scene.ext));
}

TEST_F(Uninstall, WaitsForIllustratorToExitBeforeRemovingAnything) {
  const Scene scene(L"host_wait");
  SetRegistryString(HKEY_CURRENT_USER, CsxsKey(12), L"PlayerDebugMode", L"1");
  const std::wstring stopFile = scene.root + L"\\stop-illustrator";
  const std::wstring host = BuiltProgram().substr(0, BuiltProgram().rfind(L'\\')) + L"\\Illustrator.exe";
  std::wstring hostLine = L"\"" + host + L"\" \"" + stopFile + L"\"";
  STARTUPINFOW startup = {sizeof(startup)};
  PROCESS_INFORMATION hostProcess = {};
  ASSERT_TRUE(CreateProcessW(host.c_str(), &hostLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &hostProcess));

  // While the host runs, for two seconds after the confirmation, nothing may go.
  bool extensionStayedWhileHostRan = false, registryStayedWhileHostRan = false;
  std::thread closer;
  RunOptions options = scene.Options(L"extdir=" + scene.ext);
  options.onBox = [&](const SeenBox& box) {
    if (box.text != kConfirm) return;
    closer = std::thread([&] {
      Sleep(2000);
      extensionStayedWhileHostRan = PathExists(scene.ext + L"\\CSXS\\manifest.xml");
      registryStayedWhileHostRan = RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(12), L"PlayerDebugMode");
      WriteFileText(stopFile, L"");
    });
  };
  const RunResult run = RunProgram(options);
  if (closer.joinable()) closer.join();
  WaitForSingleObject(hostProcess.hProcess, 5000);
  CloseHandle(hostProcess.hProcess);
  CloseHandle(hostProcess.hThread);

  EXPECT_TRUE(extensionStayedWhileHostRan);
  EXPECT_TRUE(registryStayedWhileHostRan);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(run.boxes[1].text, kRemoved);
  EXPECT_FALSE(PathExists(scene.ext));
  EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(12), L"PlayerDebugMode"));
}

TEST_F(Uninstall, LaunchFolderWithOtherFilesStays) {
  const Scene scene(L"launch_busy");
  WriteFileText(scene.launch + L"\\readme.txt", L"keep");
  const RunResult run = RunProgram(scene.Options(L"extdir=" + scene.ext));
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(run.boxes[1].text, kRemoved);
  EXPECT_FALSE(PathExists(scene.program));
  EXPECT_TRUE(PathExists(scene.launch + L"\\readme.txt"));
  for (const std::wstring& line : scene.Log()) EXPECT_EQ(line.find(L"[Stage2] Removed empty directory"), std::wstring::npos) << line;
}

// The copy started by hand, as stage 2, with launch folders written in
// different ways.
TEST_F(Uninstall, LaunchFolderCleanUpFollowsStageAndOrigdir) {
  struct Case {
    const wchar_t* origdirSuffix;  // appended to the launch folder, or null for an empty origdir
    bool cleansUp;
  };
  for (const Case& c : {Case{L"", true}, Case{L"\\", true}, Case{nullptr, false}}) {
    const Scene scene(L"stage2");
    const std::wstring work = scene.root + L"\\work";
    const std::wstring copy = PlaceProgram(work);
    RunOptions options = scene.Options(L"extdir=" + scene.ext + L" stage=2 origdir=" +
                                       (c.origdirSuffix ? scene.launch + c.origdirSuffix : L""));
    options.program = copy;
    const RunResult run = RunProgram(options);

    ASSERT_EQ(run.processes.size(), 1u);
    EXPECT_EQ(run.ExitCode(0), 0u);
    ASSERT_EQ(run.boxes.size(), 2u);
    EXPECT_EQ(run.boxes[1].text, kRemoved);
    EXPECT_EQ(PathExists(scene.launch), !c.cleansUp);
    EXPECT_TRUE(ListsPath(PendingDeletions(), copy));
    std::vector<std::wstring> tail = {L"Extension directory deleted (or scheduled)."};
    if (c.cleansUp) {
      tail.push_back(L"[Stage2] origdir: " + scene.launch + L"\\");
      tail.push_back(L"[Stage2] Removed empty directory: " + scene.launch);
    }
    const std::vector<std::wstring> log = scene.Log();
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(std::vector<std::wstring>(log.end() - tail.size(), log.end()), tail);
  }
}

// A file named like the work folders' parent makes the relaunch fail: the
// first process then removes the extension itself and schedules its own file.
TEST_F(Uninstall, FailedRelaunchRemovesInTheFirstProcess) {
  const Scene scene(L"no_relaunch");
  WriteFileText(scene.temp + L"\\PexloPlayAiUninstall", L"not a folder");
  const RunResult run = RunProgram(scene.Options(L"extdir=" + scene.ext));

  ASSERT_EQ(run.processes.size(), 1u);
  EXPECT_EQ(run.ExitCode(0), 0u);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(run.boxes[1].text, kRemoved);
  EXPECT_FALSE(PathExists(scene.ext));
  EXPECT_TRUE(PathExists(scene.program));
  EXPECT_TRUE(ListsPath(PendingDeletions(), scene.program));
  const std::vector<std::wstring> expected = {kBanner, L"extdir: " + scene.ext,
                                              L"[Delete] SHFileOperation removed: " + scene.ext,
                                              L"Extension directory deleted (or scheduled)."};
  EXPECT_EQ(scene.Log(), expected);
}

TEST_F(Uninstall, ExtensionAlreadyGoneStillCountsAsRemoved) {
  const Scene scene(L"already_gone");
  const RunResult run = RunProgram(scene.Options(L"extdir=" + scene.ext + L"\\never-installed"));
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(run.boxes[1].text, kRemoved);
  EXPECT_EQ(run.ExitCode(1), 0u);
  EXPECT_TRUE(PathExists(scene.ext + L"\\CSXS\\manifest.xml"));
}

TEST_F(Uninstall, SlowIllustratorThatNeverExitsIsWaitedForAboutTwoMinutes) {
  const Scene scene(L"host_stuck");
  const std::wstring host = BuiltProgram().substr(0, BuiltProgram().rfind(L'\\')) + L"\\Illustrator.exe";
  std::wstring hostLine = L"\"" + host + L"\"";
  STARTUPINFOW startup = {sizeof(startup)};
  PROCESS_INFORMATION hostProcess = {};
  ASSERT_TRUE(CreateProcessW(host.c_str(), &hostLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &hostProcess));
  DWORD confirmedAt = 0;
  RunOptions options = scene.Options(L"extdir=" + scene.ext);
  options.timeoutMilliseconds = 300000;
  options.onBox = [&](const SeenBox& box) {
    if (box.text == kConfirm) confirmedAt = GetTickCount();
  };
  const RunResult run = RunProgram(options);
  const DWORD waited = GetTickCount() - confirmedAt;
  TerminateProcess(hostProcess.hProcess, 0);
  CloseHandle(hostProcess.hProcess);
  CloseHandle(hostProcess.hThread);

  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(run.boxes[1].text, kRemoved);
  EXPECT_FALSE(PathExists(scene.ext));
  EXPECT_GE(waited, 120000u);  // the limit is a floor, not a speed target
}

