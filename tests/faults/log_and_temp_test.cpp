// A log that cannot be written, and temporary folders that are missing or
// too long: the user sees the same boxes and the caller gets the same exit
// codes as with a working log and temporary folder.
#include <memory>

#include "command_lines.h"
#include "faults_support.h"
#include "sandbox.h"

namespace {

using Lines = std::vector<std::wstring>;
const wchar_t kLogName[] = L"\\PexloPlayAiUninstall.log";

}  // namespace

// Wine runs as root here, so the read-only attribute does not keep this
// program from writing; the folder and the other writer do.
TEST_F(Faults, LogThatCannotBeWrittenChangesNoBoxAndNoExitCode) {
  enum Fault { FolderInItsPlace, HeldByAnotherWriter, ReadOnly };
  for (Fault fault : {FolderInItsPlace, HeldByAnotherWriter, ReadOnly}) {
    for (bool fileInUse : {false, true}) {
      SCOPED_TRACE(testing::Message() << "fault " << fault << (fileInUse ? ", a file in use" : ""));
      const Scene scene(L"log_fault");
      const std::wstring log = scene.temp + kLogName;
      HANDLE writer = INVALID_HANDLE_VALUE;
      if (fault == FolderInItsPlace) {
        MakeFolder(log);
      } else {
        WriteFileText(log, L"earlier run\r\n");
      }
      if (fault == HeldByAnotherWriter) {
        writer = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
      }
      if (fault == ReadOnly) SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_READONLY);
      std::unique_ptr<HeldFile> held(fileInUse ? new HeldFile(scene.ext + L"\\js\\main.js") : nullptr);

      const RunResult run = RunProgram(scene.Options(L"extdir=\"" + scene.ext + L"\" lang=en"));

      ASSERT_EQ(run.processes.size(), 2u);
      EXPECT_EQ(run.ExitCode(0), 0u);
      ASSERT_EQ(run.boxes.size(), 2u) << testing::PrintToString(BoxTexts(run));
      EXPECT_EQ(run.boxes[0].text, kConfirm);
      EXPECT_EQ(ExpectBoxesMatchDisk(run, scene.ext), fileInUse ? kFailed : kRemoved);
      EXPECT_EQ(PathExists(scene.program), fileInUse);
      EXPECT_TRUE(scene.CanariesIntact());
      if (fault == FolderInItsPlace) {
        EXPECT_TRUE(PathExists(log + L"\\."));
      }
      if (fault == HeldByAnotherWriter) {
        EXPECT_EQ(ReadLogLines(scene.temp), Lines{L"earlier run"});
        CloseHandle(writer);
      }
    }
  }
}

// GetTempPathW cannot hand over such a path: no copy, the removal runs in
// the process that was started, and the log goes to its current folder.
TEST_F(Faults, TempFolderTooLongForTheClassicLimitRemovesInTheFirstProcess) {
  const Scene scene(L"temp_long");
  RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" lang=en");
  options.tempFolder = FolderOfLength(scene.root, 300);
  MakeFolder(options.tempFolder);
  options.currentFolder = scene.root + L"\\current";
  MakeFolder(options.currentFolder);

  const RunResult run = RunProgram(options);

  ASSERT_EQ(run.processes.size(), 1u);
  ASSERT_EQ(run.boxes.size(), 2u) << testing::PrintToString(BoxTexts(run));
  EXPECT_EQ(ExpectBoxesMatchDisk(run, scene.ext), kRemoved);
  EXPECT_TRUE(scene.CanariesIntact());
  EXPECT_TRUE(TakeSnapshot(options.tempFolder).empty());
  EXPECT_TRUE(ListsPath(PendingDeletions(), scene.program));
  const Lines expected = {kBanner, L"extdir: " + scene.ext, L"[Delete] SHFileOperation removed: " + scene.ext,
                          L"Extension directory deleted (or scheduled)."};
  EXPECT_EQ(ReadLogLines(options.currentFolder), expected);
}

// A temporary folder that fits, but leaves no room below it for the work
// folder and the copy within the classic limit: no copy, and nothing is
// created there but the log.
TEST_F(Faults, TempFolderWithoutRoomForTheCopyRemovesInTheFirstProcess) {
  const Scene scene(L"temp_full");
  RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" lang=en");
  options.tempFolder = FolderOfLength(scene.root, 230);
  MakeFolder(options.tempFolder);

  const RunResult run = RunProgram(options);

  ASSERT_EQ(run.processes.size(), 1u);
  ASSERT_EQ(run.boxes.size(), 2u) << testing::PrintToString(BoxTexts(run));
  EXPECT_EQ(ExpectBoxesMatchDisk(run, scene.ext), kRemoved);
  EXPECT_TRUE(scene.CanariesIntact());
  const Snapshot temp = TakeSnapshot(options.tempFolder);
  ASSERT_EQ(temp.size(), 1u) << Printable(temp.begin()->first);
  EXPECT_EQ(temp.begin()->first, options.tempFolder + kLogName);
  EXPECT_EQ(ReadLogLines(options.tempFolder).size(), 4u);
}

// The work folder is made with every missing folder above it, the missing
// temporary folder included; the first process's lines from before that
// are lost.
TEST_F(Faults, TempFolderThatDoesNotExistIsMadeForTheWorkFolder) {
  const Scene scene(L"temp_missing");
  RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" lang=en");
  options.tempFolder = scene.root + L"\\no such temp";

  const RunResult run = RunProgram(options);

  ASSERT_EQ(run.processes.size(), 2u);
  EXPECT_EQ(run.ExitCode(0), 0u);
  ASSERT_EQ(run.boxes.size(), 2u) << testing::PrintToString(BoxTexts(run));
  EXPECT_EQ(ExpectBoxesMatchDisk(run, scene.ext), kRemoved);
  EXPECT_TRUE(scene.CanariesIntact());
  EXPECT_FALSE(PathExists(scene.launch));
  const Lines expected = {L"[Stage1] Relaunching from temp: " + run.processes[1].imagePath,
                          kBanner,
                          L"extdir: " + scene.ext,
                          L"[Delete] SHFileOperation removed: " + scene.ext,
                          L"Extension directory deleted (or scheduled).",
                          L"[Stage2] origdir: " + scene.launch + L"\\",
                          L"[Stage2] Removed empty directory: " + scene.launch};
  EXPECT_EQ(ReadLogLines(options.tempFolder), expected);
}
