// What the program leaves behind: nothing of its own once a copy has run,
// and nothing is ever touched behind a link. The links come from the
// sandbox_fixtures step (harness/linux-fixtures.sh).
#include "common/cmd_helper.h"
#include "support.h"

using Leftovers = CleanState;

// An extension holding a link to a folder outside it (a shared module), and
// an extension folder that is itself a link to a working copy: nothing
// behind a link goes, and while a link stays (Wine will not remove one whose
// target holds anything), the run never says that the folder was removed.
// Work folders that earlier runs left (one with a read-only copy in it, an empty one)
// go with the next run; a link named like one, one whose copy still runs (with
// the launch executable that its run may yet put back), and everything else
// in the temporary folder, stay.
TEST_F(Leftovers, NothingBehindALinkIsTouchedAndEarlierWorkFoldersGo) {
  if (!InBuildPrefix()) GTEST_SKIP() << "needs the links that harness/linux-fixtures.sh makes";
  const Scene scene(L"links");
  const std::wstring temp = Fixture(L"sweep"), home = JoinPath(temp, kWorkFolderName);
  const Lines leftovers = {home + L"\\12_34", home + L"\\56_78"};
  const std::wstring live = home + L"\\90_12";
  MakeFile(live + L"\\launch_copy.exe");
  CopyFileW(BinFile(kHostImageName).c_str(), (live + L"\\copy.exe").c_str(), FALSE);
  const Host copy(live + L"\\never", L"", live + L"\\copy.exe");
  SetFileAttributesW(PlaceProgram(leftovers[0]).c_str(), FILE_ATTRIBUTE_READONLY);  // as earlier versions left them
  MakeFolder(leftovers[1]);
  MakeFolder(home + L"\\not_a_run");
  MakeFile(home + L"\\notes.txt");
  DeleteFileW(JoinPath(temp, kLogFileName).c_str());  // an earlier run's, when the fixtures are kept
  const Snapshot before = TakeSnapshot(temp, leftovers);
  for (const std::wstring name : {L"inner", L"outer"}) {
    SCOPED_TRACE(testing::PrintToString(name));
    const std::wstring folder = Fixture(L"links\\" + name) + L"\\" + kBundleId, target = Fixture(L"links\\" + name + L"_target");
    PlaceProgram(scene.launch);
    const size_t logged = ReadLogLines(temp).size();
    RunOptions options = scene.Options(L"extdir=\"" + folder + L"\" silent=1 wait=1");
    options.tempFolder = temp;
    const RunResult run = RunChecked(std::move(options));
    EXPECT_EQ(run.ExitCode(0), IsAbsent(folder) ? 0u : 1u);
    ASSERT_EQ(run.processes.size(), 2u);
    EXPECT_TRUE(GoneSoon(FolderOf(run.processes[1].imagePath)));
    for (const wchar_t* canary : {L"\\canary.txt", L"\\deep\\canary.txt"}) EXPECT_EQ(ReadWholeFile(target + canary), "canary");
    const Lines log = ReadLogLines(temp);
    const Lines lines(log.begin() + std::min(logged, log.size()), log.end());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), name == L"inner" ? L"[Delete] Left to the pass by hand (a link or a long path inside): " + folder
                                                                       : L"[Delete] The folder is a link: removing the link only: " + folder), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), L"[Delete] SHFileOperation removed: " + folder), 0);
  }
  EXPECT_TRUE(Exists(Fixture(L"links\\outer_target\\CSXS\\manifest.xml")));
  EXPECT_TRUE(IsAbsent(leftovers[0]) && IsAbsent(leftovers[1]) && Exists(live + L"\\launch_copy.exe"));
  Snapshot after = TakeSnapshot(temp, leftovers);
  after.erase(JoinPath(temp, kLogFileName));
  EXPECT_TRUE(after == before) << "something else in the temporary folder changed";
}

// The helpers that outlive the program pause between their tries with
// Windows' timeout, which does not wait when its input is not a console: they
// run in a console of their own, with no handle passed.
TEST_F(Leftovers, TheHelpersPauseIsReal) {
  if (!SearchPathW(nullptr, L"timeout.exe", nullptr, 0, nullptr, nullptr)) GTEST_SKIP() << "this system has no timeout command";
  const std::wstring result = MakeSandbox(L"helper") + L"\\pause.txt";
  ASSERT_TRUE(StartCmdHelper(L"timeout /t 1 /nobreak >nul 2>&1 & if errorlevel 1 (echo refused>\"" + result +
                             L"\") else (echo paused>\"" + result + L"\")"));
  for (const DWORD start = GetTickCount(); IsAbsent(result) && GetTickCount() - start < 10000;) Sleep(100);
  Sleep(100);  // written whole
  EXPECT_EQ(ReadWholeFile(result), "paused\r\n");
}
