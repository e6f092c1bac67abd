// The whole uninstall through the real program, as a user starts it.
#include <thread>

#include "support.h"

namespace {

struct Uninstall : CleanState {};

Lines Tail(const Lines& lines, size_t count) {
  return Lines(lines.end() - std::min(count, lines.size()), lines.end());
}

}  // namespace

TEST_F(Uninstall, RemovesTheExtensionTheDebugSwitchesAndItselfInTwoProcesses) {
  for (int version = 8; version <= 14; ++version) SetRegistryString(HKEY_CURRENT_USER, CsxsKey(version), L"PlayerDebugMode", L"1");
  const DWORD one = 1;  // a number is removed as a string is
  RegSetKeyValueW(HKEY_CURRENT_USER, CsxsKey(11).c_str(), L"PlayerDebugMode", REG_DWORD, &one, sizeof(one));
  SetRegistryString(HKEY_CURRENT_USER, CsxsKey(10), L"LogLevel", L"6");
  SetRegistryString(HKEY_LOCAL_MACHINE, CsxsKey(11), L"PlayerDebugMode", L"1");
  const Scene scene(L"full run \u6269\u5c55");
  // The folder's trailing separators go before it is logged or passed on.
  const RunResult run = RunProgram(scene.Options(L"extdir=\"" + scene.ext + L"\\/\" lang=en"));

  ASSERT_EQ(run.processes.size(), 2u) << Describe(run);
  EXPECT_EQ(run.ExitCode(0), 0u);
  EXPECT_EQ(run.ExitCode(1), 0u);
  ASSERT_EQ(run.boxes.size(), 2u) << Describe(run);
  for (const SeenBox& box : run.boxes) {
    EXPECT_EQ(box.processId, run.processes[1].processId);
    EXPECT_EQ(box.caption, English(MessageId::Title));
    EXPECT_TRUE(box.IsInformation()) << box.style;
  }
  EXPECT_EQ(run.boxes[0].text, English(MessageId::ConfirmRemoval));
  EXPECT_EQ(run.boxes[1].text, English(MessageId::Removed));
  EXPECT_FALSE(PathExists(scene.ext));
  EXPECT_TRUE(scene.CanariesIntact());
  for (int version = 8; version <= 14; ++version) {
    EXPECT_EQ(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(version), L"PlayerDebugMode"), version < 9 || version > 13);
  }
  EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(10), L"LogLevel"));
  EXPECT_TRUE(RegistryValueExists(HKEY_LOCAL_MACHINE, CsxsKey(11), L"PlayerDebugMode"));

  // The copy ran from its own work folder, named after the first process,
  // with no console window; once done, it deleted the launch executable and
  // its emptied folder, and left its own file to the next restart.
  const std::wstring copy = run.processes[1].imagePath;
  const std::wstring work = scene.temp + L"\\PexloPlayAiUninstall\\" + std::to_wstring(run.processes[0].processId) + L"_";
  EXPECT_EQ(copy.substr(0, work.size()), work);
  EXPECT_EQ(copy.substr(copy.rfind(L'\\')), L"\\pexloplay-ai-uninstaller.exe");
  const auto starts = TracedCalls(run.processes[0].processId, "KERNEL32.CreateProcessW");
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(TracedNumber(starts[0][4]), 0u);  // no handle inherited
  EXPECT_EQ(TracedNumber(starts[0][5]), static_cast<DWORD>(CREATE_NO_WINDOW));
  EXPECT_EQ(starts[0][7], copy.substr(0, copy.rfind(L'\\') + 1));
  EXPECT_FALSE(PathExists(scene.launch));
  EXPECT_TRUE(ListsPath(PendingDeletions(), copy)) << testing::PrintToString(copy);

  const Lines expected = {
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
  const RunResult run = RunProgram(scene.Options(L"extdir=" + scene.ext + L" lang=en"));

  ASSERT_EQ(run.processes.size(), 2u);
  EXPECT_EQ(run.ExitCode(0), 0u);
  EXPECT_EQ(run.ExitCode(1), 1u);
  ASSERT_EQ(run.boxes.size(), 2u) << Describe(run);
  EXPECT_EQ(run.boxes[1].text, English(MessageId::RemoveFailed));
  EXPECT_TRUE(run.boxes[1].IsError()) << run.boxes[1].style;
  EXPECT_EQ(scene.Log().back(), L"Failed to delete extension directory.");
  EXPECT_TRUE(PathExists(scene.ext + L"\\js\\lib\\nested\\deeper\\dep.js"));
  EXPECT_FALSE(PathExists(scene.ext + L"\\index.html") || PathExists(scene.ext + L"\\readonly.txt"));
  EXPECT_TRUE(PathExists(scene.program) && PathExists(run.processes[1].imagePath));
  EXPECT_TRUE(scene.CanariesIntact());
}

// Nothing goes while Illustrator runs; the confirmation, closed with the
// title bar's button, counts as OK.
TEST_F(Uninstall, WaitsForIllustratorToExitBeforeRemovingAnything) {
  const Scene scene(L"host_wait");
  SetRegistryString(HKEY_CURRENT_USER, CsxsKey(12), L"PlayerDebugMode", L"1");
  const std::wstring stopFile = scene.root + L"\\stop-illustrator";
  PROCESS_INFORMATION host = StartHost(stopFile);
  bool extensionStayed = false, registryStayed = false;
  std::thread closer;
  RunOptions options = scene.Options(L"extdir=" + scene.ext);
  options.closeInsteadOfOk = true;
  options.onBox = [&](const SeenBox& box) {
    if (box.text != English(MessageId::ConfirmRemoval)) return;
    closer = std::thread([&] {
      Sleep(2000);
      extensionStayed = PathExists(scene.ext + L"\\CSXS\\manifest.xml");
      registryStayed = RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(12), L"PlayerDebugMode");
      WriteFileText(stopFile, L"");
    });
  };
  const RunResult run = RunProgram(options);
  if (closer.joinable()) closer.join();
  WaitForSingleObject(host.hProcess, 5000);
  CloseHandle(host.hProcess);
  CloseHandle(host.hThread);

  EXPECT_TRUE(extensionStayed && registryStayed);
  ASSERT_EQ(run.boxes.size(), 2u) << Describe(run);
  EXPECT_EQ(run.boxes[1].text, English(MessageId::Removed));
  EXPECT_FALSE(PathExists(scene.ext));
  EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(12), L"PlayerDebugMode"));
}

// Only the exact value 2 marks the relaunched copy, which then cleans the
// launch folder named by origdir, written either way, and only when it is
// left empty.
TEST_F(Uninstall, StageAndOrigdirDecideTheRelaunchAndTheCleanUp) {
  const struct {
    std::wstring stage, origdirSuffix;
    bool relaunches, cleansUp, busy;
  } cases[] = {{L"1", L"", true, true, false},  {L"02", L"", true, true, false},   {L"\"2 \"", L"", true, true, false},
               {L"", L"", true, false, true},    {L"2", L"\\", false, true, false}, {L"2", L"-", false, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.stage + L" " + c.origdirSuffix));
    const Scene scene(L"stage");
    if (c.busy) WriteFileText(scene.launch + L"\\readme.txt", L"keep");
    RunOptions options = scene.Options(L"extdir=" + scene.ext + L" stage=" + c.stage);
    if (!c.relaunches) {  // started by hand as the copy, from a work folder of its own
      options.program = PlaceProgram(scene.root + L"\\work");
      options.arguments += L" origdir=" + (c.origdirSuffix == L"-" ? L"" : scene.launch + c.origdirSuffix);
    }
    const RunResult run = RunProgram(options);
    ASSERT_EQ(run.processes.size(), c.relaunches ? 2u : 1u);
    EXPECT_EQ(run.ExitCode(run.processes.size() - 1), 0u);
    EXPECT_EQ(PathExists(scene.temp + L"\\PexloPlayAiUninstall"), c.relaunches);
    EXPECT_FALSE(PathExists(scene.ext));
    EXPECT_EQ(PathExists(scene.launch), !c.cleansUp);
    EXPECT_EQ(PathExists(scene.program), c.origdirSuffix == L"-");
    Lines tail = {L"Extension directory deleted (or scheduled)."};
    if (c.origdirSuffix != L"-") tail.push_back(L"[Stage2] origdir: " + scene.launch + L"\\");
    if (c.cleansUp) tail.push_back(L"[Stage2] Removed empty directory: " + scene.launch);
    EXPECT_EQ(Tail(scene.Log(), tail.size()), tail);
  }
}

// A file named like the work folders' parent makes the relaunch fail: the
// first process then removes the extension itself and schedules its own file.
TEST_F(Uninstall, FailedRelaunchRemovesInTheFirstProcess) {
  const Scene scene(L"no_relaunch");
  WriteFileText(scene.temp + L"\\PexloPlayAiUninstall", L"not a folder");
  const RunResult run = RunProgram(scene.Options(L"extdir=" + scene.ext + L" wait=1"));

  ASSERT_EQ(run.processes.size(), 1u);
  EXPECT_EQ(run.ExitCode(0), 0u);
  ASSERT_EQ(run.boxes.size(), 2u) << Describe(run);
  EXPECT_FALSE(PathExists(scene.ext));
  EXPECT_TRUE(ListsPath(PendingDeletions(), scene.program));
  EXPECT_EQ(scene.Log(), (Lines{kBanner, L"extdir: " + scene.ext, L"[Delete] SHFileOperation removed: " + scene.ext,
                                L"Extension directory deleted (or scheduled)."}));
}
