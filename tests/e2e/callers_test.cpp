// What a caller learns from the program, and what it can leave unattended:
// silent=1, wait=1, and a program started with a console of its own.
#include <algorithm>
#include <thread>

#include "support.h"

using Callers = CleanState;

// The process the caller started ends with the removal's outcome; with
// silent=1 no box is shown in either process. After a removal the copy
// deletes the launch executable and its folder for real, once that process
// has ended; after a failure (a file held open) both stay, with what could
// not be deleted. The copy's work folder goes shortly after either. Started
// as Explorer starts it, with a console of its own, the program gives that
// console back at once (the copy never gets one: see the full run's creation
// flags). The copy inherits the pipe it reports through and nothing else of
// the first process: here, the write end of a pipe of the test's own that
// the first process inherited, which has no writer left once the first
// process has ended, while the copy shows its last box.
TEST_F(Callers, WaitEndsWithTheOutcomeAndSilentShowsNothing) {
  for (bool held : {false, true}) {
    SCOPED_TRACE(held ? "a file held open" : "nothing held");
    const Scene scene(L"unattended");
    const std::wstring heldFile = scene.ext + L"\\js\\lib\\nested\\deeper\\dep.js";
    const FileHandle hold = Hold(held ? heldFile : L"");
    RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" wait=TRUE" + (held ? L"" : L" silent=yes"));
    options.newConsole = held;
    KernelHandle readEnd;
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    Require(CreatePipe(readEnd.put(), options.inherited.put(), &inheritable, 0), "a pipe");
    bool broken = false;
    options.onBox = [&](const SeenBox& box) {
      for (DWORD start = GetTickCount(); box.text == English(MessageId::RemoveFailed) && !broken && GetTickCount() - start < 5000;
           Sleep(50)) {
        broken = !PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, nullptr, nullptr) && GetLastError() == ERROR_BROKEN_PIPE;
      }
    };
    const RunResult run = RunChecked(std::move(options));
    EXPECT_EQ(broken, held);
    if (HaveTrace()) {
      EXPECT_EQ(TracedCalls(run.processes[0].processId, "KERNEL32.FreeConsole").size(), held ? 1u : 0u);
    } else {
      SkipCheck("whether the program gives its console back: it needs Wine's call trace");
    }
    EXPECT_EQ(run.Texts(), (held ? Lines{English(MessageId::ConfirmRemoval), English(MessageId::RemoveFailed)} : Lines{}));
    if (held) ExpectIcon(run.boxes.at(1), MB_ICONERROR);
    ASSERT_EQ(run.processes.size(), 2u) << testing::PrintToString(run.processes.back().imagePath);
    EXPECT_EQ(run.ExitCode(0) * 10 + run.ExitCode(1), held ? 11u : 0u);
    EXPECT_NE(IsAbsent(scene.ext), held);
    EXPECT_TRUE(held ? Exists(scene.program) : IsAbsent(scene.launch));  // kept after a failure, to try again
    EXPECT_TRUE(GoneSoon(FolderOf(run.processes[1].imagePath)));  // the work folder, after either
    EXPECT_TRUE(held == Exists(heldFile) && IsAbsent(scene.ext + L"\\readonly.txt") && scene.CanariesIntact());
    // The first process has the outcome before the copy cleans up after it.
    Lines tail = held ? Lines{L"Failed to delete extension directory.", L"[Stage1] Exit code from the copy: 1"}
                      : Lines{L"Extension directory deleted (or scheduled).", L"[Stage1] Exit code from the copy: 0",
                              L"[Stage2] origdir: " + scene.launch + L"\\", L"[Stage2] Removed empty directory: " + scene.launch};
    tail.push_back(L"[Stage2] Work folder handed to cmd.exe for removal: " + FolderOf(run.processes[1].imagePath));
    const Lines log = scene.Log();
    EXPECT_EQ(Lines(log.end() - std::min(tail.size(), log.size()), log.end()), tail);
  }
}

// Shipped inside the extension's own folder, in a sub-folder or at its root,
// read-only, and started there by an installer that waits, with that folder
// as the current one: the whole folder goes, with boxes or without, both
// processes end with 0, and nothing is left. Inside is judged on the names
// the system gives, whatever the caller wrote. A caller that sits in that
// folder itself (cmd, as a .bat beside the program) keeps it, emptied, while
// it runs: the folder goes a moment after the caller has ended, and the run
// says 0. With the copy on another volume (drive V: of the fixtures step) the
// launch executable goes beside the extension's folder instead, the log says
// where, and nothing is left there either, nor what an earlier run left.
TEST_F(Callers, ShippedInsideTheExtensionItsWholeFolderGoes) {
  struct Row {
    const wchar_t* placement;
    bool silent, slashes, callerInside, otherVolume;
  };
  for (const Row row : {Row{L"\\uninstall", true, false, false, false}, Row{L"", true, false, false, false},
                        Row{L"\\uninstall", false, false, false, false}, Row{L"", false, true, false, false},
                        Row{L"\\uninstall", true, false, true, false}, Row{L"", false, false, true, false},
                        Row{L"", true, false, false, true}}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.placement)) + (row.silent ? " silent " : " boxes ") +
                 (row.callerInside ? "caller inside " : "") + (row.otherVolume ? "other volume" : ""));
    if (row.otherVolume && !(InBuildPrefix() && Exists(L"V:\\"))) {
      SkipCheck("a copy on another volume: it needs drive V: of harness/linux-fixtures.sh");
      continue;
    }
    const Scene scene(L"inside");
    const std::wstring launch = scene.ext + row.placement;
    std::wstring extdir = scene.ext;
    if (row.slashes) std::replace(extdir.begin() + 2, extdir.end(), L'\\', L'/');
    RunOptions options = scene.Options(L"extdir=\"" + extdir + L"\" wait=1" + (row.silent ? L" silent=1" : L""));
    const std::wstring extensions = FolderOf(scene.ext), beside = extensions + L"\\" + kWorkFolderName + L"_";
    if (row.otherVolume) {
      MakeFolder(options.tempFolder = L"V:\\" + FileNameOf(scene.root));
      MakeFile(beside + L"1_1000.tmp", "left by an earlier run");
    }
    options.program = PlaceProgram(launch);
    SetFileAttributesW(options.program.c_str(), FILE_ATTRIBUTE_READONLY);
    options.currentFolder = launch;
    const std::wstring program = options.program, temp = options.tempFolder;
    if (row.callerInside) {
      options.arguments = L"/c \"\"" + program + L"\" " + options.arguments + L"\"";
      options.program = L"C:\\windows\\system32\\cmd.exe";
    }
    const RunResult run = RunChecked(std::move(options));
    const size_t first = row.callerInside ? 1 : 0;
    ASSERT_EQ(run.processes.size(), first + 2);
    EXPECT_EQ(run.ExitCode(0) + run.ExitCode(first) + run.ExitCode(first + 1), 0u);
    EXPECT_EQ(run.Texts(), (row.silent ? Lines{} : Lines{English(MessageId::ConfirmRemoval), English(MessageId::Removed)}));
    EXPECT_TRUE(GoneSoon(scene.ext) && IsAbsent(program));
    EXPECT_TRUE(GoneSoon(FolderOf(run.processes[first + 1].imagePath)));
    EXPECT_TRUE(scene.CanariesIntact());
    const Lines log = ReadLogLines(temp);
    EXPECT_EQ(TakeSnapshot(extensions, {scene.ext}).size(), 3u);  // the canaries beside the extension and in another
    const std::wstring moved = L"[Stage2] Launch executable moved out of the extension's folder: " + beside;
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [&moved](const std::wstring& line) { return line.rfind(moved, 0) == 0; }),
              row.otherVolume ? 1 : 0);
    const std::wstring handed = L"[Delete] Emptied folders handed to cmd.exe for removal once they are free (the current "
                                L"folder of a running process, maybe the caller's): " + scene.ext;
    EXPECT_EQ(std::count(log.begin(), log.end(), handed), row.callerInside ? 1 : 0);
  }
}

// After a failure (a file held open) the launch executable goes back where
// it was, read-only as it was, in its folder made again, and the log names
// what is left. Where a folder stands in its place (as a delete-pending
// folder would refuse it), it is tried again after the last box. Where it
// still cannot go back, the copy's work folder keeps it and the log says
// where; the next run's sweep puts it back once its place is free.
TEST_F(Callers, ALaunchExecutableThatCannotGoBackIsNeverLost) {
  for (const bool blockedForGood : {false, true}) {
    SCOPED_TRACE(blockedForGood ? "blocked for good" : "blocked until the last box");
    const Scene scene(L"putback");
    const std::wstring launch = scene.ext + L"\\uninstall", program = PlaceProgram(launch), blocker = program + L"\\held.txt";
    SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_READONLY);
    const FileHandle hold = Hold(scene.ext + L"\\js\\lib\\nested\\deeper\\dep.js");  // the removal spends its grace
    RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" wait=1" + (blockedForGood ? L" silent=1" : L""));
    options.program = program;
    options.currentFolder = launch;
    FileHandle block;
    std::thread blocking([&] {
      const std::wstring moved = L"[Stage2] Launch executable moved out of the extension's folder: ";
      for (const DWORD start = GetTickCount(); !block && GetTickCount() - start < 30000; Sleep(10)) {
        const Lines log = scene.Log();
        if (std::none_of(log.begin(), log.end(), [&moved](const std::wstring& line) { return line.rfind(moved, 0) == 0; })) continue;
        CreateDirectoryW(launch.c_str(), nullptr);
        CreateDirectoryW(program.c_str(), nullptr);
        block.reset(CreateFileW(blocker.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
      }
    });
    const auto unblock = [&] {
      if (blocking.joinable()) blocking.join();
      block.reset();
      DeleteFileW(blocker.c_str());
      RemoveDirectoryW(program.c_str());
    };
    options.onBox = [&](const SeenBox& box) {
      if (box.text != English(MessageId::RemoveFailed)) return;
      unblock();
      RemoveDirectoryW(launch.c_str());
    };
    const RunResult run = RunChecked(std::move(options));
    if (blocking.joinable()) blocking.join();
    ASSERT_EQ(run.processes.size(), 2u);
    EXPECT_EQ(run.ExitCode(0) * 10 + run.ExitCode(1), 11u);
    const std::wstring work = FolderOf(run.processes[1].imagePath), out = work + L"\\launch_" + FileNameOf(program);
    Lines log = scene.Log();
    const auto logged = [&log](const std::wstring& line) { return std::count(log.begin(), log.end(), line); };
    EXPECT_EQ(logged(L"[Stage2] The launch executable could not be put back: " + out), blockedForGood ? 2 : 1);
    EXPECT_EQ(logged(L"[Stage2] The work folder stays, so that the next run puts back the launch executable, which is here: " + out),
              blockedForGood ? 1 : 0);
    EXPECT_EQ(logged(L"[Stage2] Work folder handed to cmd.exe for removal: " + work), blockedForGood ? 0 : 1);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::wstring& line) {
                return line.rfind(L"[Delete] Left in the extension's folder, a file: ", 0) == 0;
              }), 1);
    if (blockedForGood) {
      // Old enough to sweep by its name; swept while the place is taken, and once it is free.
      const std::wstring earlier = JoinPath(FolderOf(work), L"1_1000");
      ASSERT_TRUE(MoveFileW(work.c_str(), earlier.c_str()));
      for (const bool free : {false, true}) {
        if (free) unblock();
        const Scene next(L"putback_next");
        RunOptions again = next.Options(L"extdir=\"" + next.ext + L"\" silent=1 wait=1");
        again.tempFolder = scene.temp;
        EXPECT_EQ(RunChecked(std::move(again)).ExitCode(0), 0u);
        EXPECT_EQ(IsAbsent(earlier + L"\\launch_" + FileNameOf(program)), free);
      }
      EXPECT_TRUE(IsAbsent(earlier));
      log = scene.Log();
      EXPECT_EQ(logged(L"[Stage1] Put back a launch executable that an earlier run could not: " + program), 1);
    } else {
      EXPECT_TRUE(GoneSoon(work));
    }
    EXPECT_EQ(GetFileAttributesW(program.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY), DWORD{FILE_ATTRIBUTE_READONLY});
  }
}

// The removal takes its turn: while another run holds it (the test, here),
// a run changes nothing, neither the debug switch nor the folder; once the
// turn is let go, it removes both and says 0.
TEST_F(Callers, ARunRemovesNothingUntilItsTurn) {
  const Scene scene(L"turn");
  SetRegistryString(HKEY_CURRENT_USER, CsxsKey(11), L"PlayerDebugMode", L"1");
  const KernelHandle turn(CreateMutexW(nullptr, TRUE, kRemovalMutexName));
  ASSERT_TRUE(turn);
  RunResult run;
  std::thread removal([&] { run = RunChecked(scene.Options(L"extdir=\"" + scene.ext + L"\" silent=1 wait=1")); });
  Sleep(3000);  // the copy has long reached its turn by then
  EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(11), L"PlayerDebugMode") && Exists(scene.ext + L"\\CSXS\\manifest.xml"));
  ReleaseMutex(turn.get());
  removal.join();
  EXPECT_EQ(run.ExitCode(0) * 10 + run.ExitCode(1), 0u);
  EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(11), L"PlayerDebugMode") || Exists(scene.ext));
}

// Started twice at once on one extension, unattended and waiting (a double
// click, or the installer and the user): one removal at a time, and both
// runs tell the truth, 0 each. The one log holds the four processes' banners
// and only whole lines; no work folder is left.
TEST_F(Callers, StartedTwiceAtOnceBothReportTheRemoval) {
  const Scene scene(L"twice");
  // Enough files that two removals side by side would overlap.
  for (int file = 0; file < 600; ++file) MakeFile(scene.ext + L"\\many\\" + std::to_wstring(file % 20) + L"\\" + std::to_wstring(file) + L".js");
  // Both runs set the same TEMP; the test holds it, so that neither run puts back the other's.
  const ScopedVariables temp{{{L"TMP", scene.temp}, {L"TEMP", scene.temp}}};
  const std::wstring arguments = L"extdir=\"" + scene.ext + L"\" silent=1 wait=1";
  RunResult runs[2];
  std::thread other([&] { runs[1] = RunChecked(scene.Options(arguments)); });
  runs[0] = RunChecked(scene.Options(arguments));
  other.join();
  for (const RunResult& run : runs) {
    ASSERT_EQ(run.processes.size(), 2u);
    EXPECT_EQ(run.ExitCode(0) * 10 + run.ExitCode(1), 0u);
    EXPECT_TRUE(GoneSoon(FolderOf(run.processes[1].imagePath)));
  }
  EXPECT_TRUE(IsAbsent(scene.ext) && scene.CanariesIntact());
  const Lines log = scene.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), std::wstring(kBanner)), 4);
  EXPECT_EQ(std::count(log.begin(), log.end(), L"Extension directory deleted (or scheduled)."), 2);
  for (const std::wstring& line : log) {
    const bool whole = line == kBanner || (line.find(L"---") == std::wstring::npos &&
                                           (line.rfind(L"extdir: ", 0) == 0 || line.rfind(L"[", 0) == 0 ||
                                            line == L"Extension directory deleted (or scheduled)."));
    EXPECT_TRUE(whole) << testing::PrintToString(line);
  }
}
