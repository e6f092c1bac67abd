// The host application outlives the two-minute wait with a file of the
// extension open, and exits as soon as the removal has begun. Whichever way
// the race goes, the run ends in the box that matches what is left.
#include <atomic>
#include <iostream>
#include <thread>

#include "faults_support.h"
#include "sandbox.h"

TEST_F(Faults, SlowHostOutlivesTheWaitAndExitsMidRemoval) {
  const Scene scene(L"host_mid");
  MakeWideTree(scene.ext, 2000, 100);
  const std::wstring held = scene.ext + L"\\part10\\file1050.js";
  const std::wstring stopFile = scene.root + L"\\stop-host";
  PROCESS_INFORMATION host = StartHost(stopFile, held);
  ASSERT_NE(host.hProcess, nullptr);
  std::vector<std::wstring> watched;  // the first of these to go shows that the removal has begun
  for (int part = 0; part < 20; ++part) {
    watched.push_back(scene.ext + L"\\part" + std::to_wstring(part) + L"\\file" + std::to_wstring(part * 100) + L".js");
  }

  std::atomic<bool> runEnded{false};
  DWORD confirmedAt = 0, removalSeenAt = 0;
  bool extensionLeftAtHostExit = false;
  std::thread watcher;
  RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" lang=en");
  options.timeoutMilliseconds = 300000;
  options.onBox = [&](const SeenBox& box) {
    if (box.text != kConfirm) return;
    confirmedAt = GetTickCount();
    watcher = std::thread([&] {
      while (!runEnded) {
        for (const std::wstring& file : watched) {
          if (PathExists(file)) continue;
          removalSeenAt = GetTickCount();
          WriteFileText(stopFile, L"");
          WaitForSingleObject(host.hProcess, 10000);
          extensionLeftAtHostExit = PathExists(scene.ext);
          return;
        }
        Sleep(2);
      }
    });
  };

  const RunResult run = RunProgram(options);
  runEnded = true;
  if (watcher.joinable()) watcher.join();
  if (WaitForSingleObject(host.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(host.hProcess, 0);
  CloseHandle(host.hProcess);
  CloseHandle(host.hThread);

  ASSERT_NE(removalSeenAt, 0u) << "the removal never began while the host ran";
  EXPECT_GE(removalSeenAt - confirmedAt, 120000u);  // the host outlived the wait
  ASSERT_EQ(run.boxes.size(), 2u) << testing::PrintToString(BoxTexts(run));
  const std::wstring outcome = ExpectBoxesMatchDisk(run, scene.ext);
  if (outcome == kFailed) {  // the removal reached the file while the host still held it
    EXPECT_TRUE(PathExists(held));
    EXPECT_TRUE(ListsPath(PendingDeletions(), held));
  }
  EXPECT_TRUE(scene.CanariesIntact());
  std::cout << (outcome == kRemoved ? "Removed" : "RemoveFailed") << "; the extension was "
            << (extensionLeftAtHostExit ? "still there" : "gone") << " when the host had exited\n";
}
