// Faults around the program: temporary folders that cannot hold the copy,
// and a host that outlives the wait. Cases named *Slow* carry ctest's slow label.
#include "support.h"

namespace {

struct Faults : CleanState {};

}  // namespace

// Without a temporary folder that holds the copy within the classic limit (too
// long for GetTempPathW, room for the work folder but not the copy, or a file
// where the work folders go), the first process removes the extension itself
// and leaves its own file to the next restart; the log goes to its current
// folder or stays alone in the temporary folder.
TEST_F(Faults, TemporaryFolderWithoutRoomForTheCopy) {
  for (size_t length : {300u, 215u, 0u}) {
    const Scene scene(L"temp_long");
    RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" wait=1");
    options.tempFolder = length ? FolderOfLength(scene.root, length) : scene.temp;
    options.currentFolder = scene.root + L"\\current";
    MakeFolder(options.tempFolder);
    MakeFolder(options.currentFolder);
    if (!length) WriteFileText(scene.temp + L"\\PexloPlayAiUninstall", L"not a folder");
    const RunResult run = RunChecked(options);
    ASSERT_EQ(run.processes.size(), 1u);
    EXPECT_EQ(run.ExitCode(0), 0u);
    EXPECT_FALSE(PathExists(scene.ext));
    EXPECT_TRUE(IsPendingDeletion(scene.program));
    const Lines log = ReadLogLines(length > 260 ? options.currentFolder : options.tempFolder);
    EXPECT_EQ(log, (Lines{kBanner, L"extdir: " + scene.ext, L"[Delete] SHFileOperation removed: " + scene.ext,
                          L"Extension directory deleted (or scheduled)."}));
    EXPECT_EQ(TakeSnapshot(options.tempFolder).size(), length > 260 ? 0u : length ? 1u : 2u);  // the log, the file
  }
}

// A host that never exits, holding a file of the extension, is waited for a
// little over two minutes; then the removal goes on, and its outcome, not
// the wait, decides the last box.
TEST_F(Faults, SlowHostThatNeverExitsIsWaitedForTwoMinutes) {
  const Scene scene(L"host_stuck");
  const std::wstring held = scene.ext + L"\\js\\main.js";
  const Host host(scene.root + L"\\never", held);
  DWORD confirmedAt = 0;
  RunOptions options = scene.Options(L"extdir=" + scene.ext + L" wait=1");
  options.timeoutMilliseconds = 300000;
  options.onBox = [&](const SeenBox&) { confirmedAt = confirmedAt ? confirmedAt : GetTickCount(); };
  const RunResult run = RunChecked(options);
  const DWORD waited = GetTickCount() - confirmedAt;
  EXPECT_GE(waited, 120000u);  // the limit is a floor, not a speed target
  EXPECT_EQ(Texts(run), (Lines{English(MessageId::ConfirmRemoval), English(MessageId::RemoveFailed)}));
  EXPECT_EQ(run.ExitCode(0), 1u);
  EXPECT_TRUE(PathExists(held) && IsPendingDeletion(held));
}
