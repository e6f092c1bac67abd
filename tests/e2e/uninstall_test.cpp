// The whole uninstall through the real program, as a user starts it, and
// faults around it: temporary folders that cannot hold the copy, and a host
// that outlives the wait. Cases named *Slow* carry ctest's slow label.
#include <thread>

#include "support.h"

using Uninstall = CleanState;

// Illustrator runs, and "exits" two seconds after the confirmation has been
// answered (with the title bar's close button, which counts as OK): nothing
// goes before.
TEST_F(Uninstall, RemovesTheExtensionTheDebugSwitchesAndItselfInTwoProcesses) {
  for (int version = 8; version <= 14; ++version) SetRegistryString(HKEY_CURRENT_USER, CsxsKey(version), L"PlayerDebugMode", L"1");
  SetRegistryString(HKEY_CURRENT_USER, CsxsKey(10), L"LogLevel", L"6");
  const Scene scene(L"full_run");
  const RestartRequestsGranted restart;  // not asked for all the same
  const std::wstring stopFile = scene.root + L"\\stop-illustrator";
  const Host host(stopFile);
  bool untouched = false;
  std::thread closer;
  // The folder's trailing separators go before it is logged or passed on.
  RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\\/\" lang=en");
  options.closeInsteadOfOk = true;
  options.currentFolder = scene.launch;  // as Explorer starts it
  options.onBox = [&](const SeenBox& box) {
    if (box.text != English(MessageId::ConfirmRemoval)) return;
    closer = std::thread([&] {
      Sleep(2000);
      untouched = Exists(scene.ext) && RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(12), L"PlayerDebugMode");
      CloseHandle(CreateFileW(stopFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));  // never throws
    });
  };
  const RunResult run = RunChecked(std::move(options));
  if (closer.joinable()) closer.join();
  EXPECT_TRUE(untouched);

  ASSERT_EQ(run.processes.size(), 2u) << testing::PrintToString(run.Texts());
  EXPECT_EQ(run.ExitCode(0) + run.ExitCode(1), 0u);
  EXPECT_EQ(run.Texts(), (Lines{English(MessageId::ConfirmRemoval), English(MessageId::Removed)}));
  for (const SeenBox& box : run.boxes) {
    EXPECT_EQ(box.processId, run.processes[1].processId);
    EXPECT_EQ(box.caption, English(MessageId::Title));
    ExpectIcon(box, MB_ICONINFORMATION);
  }
  EXPECT_TRUE(IsAbsent(scene.ext));
  EXPECT_TRUE(scene.CanariesIntact());
  for (int version = 8; version <= 14; ++version) {
    EXPECT_EQ(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(version), L"PlayerDebugMode"), version < 9 || version > 13);
  }
  EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(10), L"LogLevel"));

  // The copy ran in a work folder of its own, named after the first process,
  // and with no console window; once done, it deleted the launch executable
  // and its emptied folder (which it could not, had it kept the folder as its
  // current one), and handed its work folder to a helper, which removes it
  // shortly after; nothing is left to the next restart.
  const std::wstring copy = run.processes[1].imagePath, work = FolderOf(copy);
  EXPECT_EQ(work.rfind(JoinPath(scene.temp, kWorkFolderName) + L"\\" + std::to_wstring(run.processes[0].processId) + L"_", 0), 0u);
  if (HaveTrace()) {
    const auto starts = TracedCalls(run.processes[0].processId, "KERNEL32.CreateProcessW");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(TracedNumber(starts[0][5]), static_cast<DWORD>(CREATE_NO_WINDOW | CREATE_SUSPENDED));
    // The copy's boxes may come to the front: the first process lets them.
    const auto allowed = TracedCalls(run.processes[0].processId, "user32.AllowSetForegroundWindow");
    EXPECT_TRUE(allowed.size() == 1 && TracedNumber(allowed[0][0]) == run.processes[1].processId);
    // The helper gets a console of its own and no handle: timeout pauses only
    // where its input is a console.
    const auto helper = TracedCalls(run.processes[1].processId, "KERNEL32.CreateProcessW");
    ASSERT_EQ(helper.size(), 1u);
    EXPECT_EQ(TracedNumber(helper[0][4]), 0u);
    EXPECT_EQ(TracedNumber(helper[0][5]), static_cast<DWORD>(CREATE_NO_WINDOW));
  } else {
    SkipCheck("the copy's creation flags and foreground: they need Wine's call trace");
  }
  EXPECT_TRUE(IsAbsent(scene.launch));
  EXPECT_TRUE(GoneSoon(work));
  EXPECT_FALSE(IsPendingDeletion(copy) || IsPendingDeletion(work));

  Lines expected = {kBanner, L"extdir: " + scene.ext, L"[Stage1] Relaunching from temp: " + copy, kBanner,
                    L"extdir: " + scene.ext};
  for (int version = 9; version <= 13; ++version) {
    expected.push_back(L"[Registry] Removed PlayerDebugMode from Software\\Adobe\\CSXS." + std::to_wstring(version));
  }
  expected.insert(expected.end(), {L"[Delete] SHFileOperation removed: " + scene.ext, L"Extension directory deleted (or scheduled).",
                                   L"[Stage2] origdir: " + scene.launch + L"\\", L"[Stage2] Removed empty directory: " + scene.launch,
                                   L"[Stage2] Work folder handed to cmd.exe for removal: " + work});
  EXPECT_EQ(scene.Log(), expected);
}

// Without a temporary folder that holds the copy within the classic limit (too
// long for GetTempPathW, room for the work folder but not the copy, or a file
// where the work folders go), the first process removes the extension itself
// and its own file, the launch executable, stays; the log goes to its current
// folder or stays alone in the temporary folder.
TEST_F(Uninstall, TemporaryFolderWithoutRoomForTheCopy) {
  for (size_t length : {300u, 215u, 0u}) {
    const Scene scene(L"temp_long");
    RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" wait=1");
    while (length && options.tempFolder.size() + 1 < length) {
      options.tempFolder += L"\\" + std::wstring(std::min<size_t>(60, length - options.tempFolder.size() - 1), L't');
    }
    options.currentFolder = scene.launch;
    if (length < MAX_PATH) MakeFolder(options.tempFolder);  // GetTempPathW gives no folder longer than that
    if (!length) MakeFile(JoinPath(scene.temp, kWorkFolderName), "not a folder");
    const std::wstring temp = options.tempFolder;
    const RunResult run = RunChecked(std::move(options));
    ASSERT_EQ(run.processes.size(), 1u);
    EXPECT_EQ(run.ExitCode(0), 0u);
    EXPECT_TRUE(IsAbsent(scene.ext));
    EXPECT_TRUE(Exists(scene.program));
    const Lines log = ReadLogLines(length > 260 ? scene.launch : temp);
    EXPECT_EQ(log.size(), 4u);  // banner, extdir, removed and deleted, from the first process alone
    EXPECT_EQ(log.back(), L"Extension directory deleted (or scheduled).");
    EXPECT_EQ(TakeSnapshot(temp).size(), length > 260 ? 0u : length ? 1u : 2u);  // the log, the file
  }
}

// A host that never exits, holding a file of the extension, is waited for a
// little over two minutes; then the removal goes on, and its outcome, not
// the wait, decides the last box.
TEST_F(Uninstall, SlowHostThatNeverExitsIsWaitedForTwoMinutes) {
  const Scene scene(L"host_stuck");
  const std::wstring held = scene.ext + L"\\js\\main.js";
  const Host host(scene.root + L"\\never", held);
  DWORD confirmedAt = 0;
  RunOptions options = scene.Options(L"extdir=" + scene.ext + L" wait=1");
  options.timeoutMilliseconds = 300000;
  options.onBox = [&](const SeenBox&) { confirmedAt = confirmedAt ? confirmedAt : GetTickCount(); };
  const RunResult run = RunChecked(std::move(options));
  EXPECT_GE(GetTickCount() - confirmedAt, 120000u);  // the waiting is a floor, not a speed target
  EXPECT_EQ(run.Texts(), (Lines{English(MessageId::ConfirmRemoval), English(MessageId::RemoveFailed)}));
  EXPECT_EQ(run.ExitCode(0), 1u);
  EXPECT_TRUE(Exists(held));
}
