// Faults around the program: hostile command lines, temporary folders that
// cannot hold the copy, a log that cannot be written, and a host that
// outlives the wait. Cases named *Slow* carry ctest's slow label.
#include <algorithm>
#include <atomic>
#include <iostream>
#include <random>
#include <thread>

#include "support.h"

namespace {

struct Faults : CleanState {};

unsigned EnvironmentNumber(const wchar_t* name, unsigned fallback) {
  wchar_t text[32] = {};
  return GetEnvironmentVariableW(name, text, 32) ? static_cast<unsigned>(wcstoul(text, nullptr, 10)) : fallback;
}

// A command line of key=value pairs: the keys the program knows (in other
// cases too) and others; values that name the extension in many spellings,
// folders that are not the extension's, and junk; all quoted in hostile ways.
std::wstring GenerateLine(std::mt19937& random, const Scene& scene) {
  const auto pick = [&random](const std::vector<std::wstring>& choices) { return choices[random() % choices.size()]; };
  const std::vector<std::wstring> junk = {
      L"\"", L"\\", L"\\\\\\", L"\\\"", L" ", L"\t", L"=", L"/", L":", L"*", L"?", L"|", L".", L"..", L"\x01", L"\x1b",
      L"\r\n", L"\xa0", L"\x3000", L"\u6269\u5c55", L"\U0001F600", L"\xd800", L"extdir", L"T:\\", L"\\\\?\\", L"CON",
      L"COM\u00b9", L"1", L"2", L"yes"};
  const std::wstring extensions = scene.root + L"\\Adobe\\CEP\\extensions";
  std::wstring line;
  for (size_t pairs = 1 + random() % 6; pairs > 0; --pairs) {
    std::wstring value;
    for (size_t n = random() % 4; n > 0; --n) value += pick(junk);
    if (random() % 2) {
      value = pick({scene.ext, scene.ext + L"\\\\//", scene.ext + L"\\js", extensions, scene.root, scene.launch,
                    extensions + L"\\COM.PEXLO.PLAY.AI", L"t:/" + scene.ext.substr(3), extensions + L"\\gone"}) +
              (random() % 4 ? L"" : value);
    }
    const std::wstring key = pick({L"extdir", L"extdir", L"lang", L"stage", L"origdir", L"silent", L"wait",
                                   L"outcome", L"EXTDIR", L"x"});
    switch (random() % 6) {
      case 0: line += key + L"=\"" + value + L"\""; break;
      case 1: line += L"\"" + key + L"=" + value + L"\""; break;
      case 2: line += key + L"=\\\"" + value + L"\\\""; break;  // quotes that reach the program
      case 3: line += key + L"=\"" + value + L"\\\""; break;    // a backslash that eats the closing quote
      default: line += key + L"=" + value;
    }
    line += pick({L" ", L"  ", L"\t"});
  }
  return line;
}

// Runs one line in a sandbox of its own and judges it by the log and the
// disk alone: no crash, no hang; nothing touched but a folder that a process
// accepted; a folder reported removed is gone, one reported not removed is not.
void RunLines(unsigned defaultCount) {
  const unsigned seed = EnvironmentNumber(L"FUZZ_SEED", GetTickCount()), count = EnvironmentNumber(L"FUZZ_RUNS", defaultCount);
  std::cout << "FUZZ_SEED=" << seed << " FUZZ_RUNS=" << count << "\n";
  std::mt19937 random(seed);
  for (unsigned index = 0; index < count && !testing::Test::HasFailure(); ++index) {
    const Scene scene(L"line");
    RunOptions options = scene.Options(GenerateLine(random, scene));
    options.timeoutMilliseconds = 30000;
    const Snapshot before = TakeSnapshot(scene.root, {scene.temp, scene.launch});
    const RunResult run = RunProgram(options);
    SCOPED_TRACE("line " + std::to_string(index) + " of FUZZ_SEED=" + std::to_string(seed) + ": " +
                 testing::PrintToString(options.arguments));
    if (run.startError) continue;  // Wine now and then refuses to start a line that Windows takes
    EXPECT_FALSE(run.timedOut);
    for (const SeenProcess& process : run.processes) EXPECT_LE(process.exitCode, 2u) << "crashed or killed";
    std::wstring accepted;
    for (const std::wstring& line : scene.Log()) {
      if (line.rfind(L"extdir: ", 0) == 0) accepted = line.substr(8);
      std::replace(accepted.begin(), accepted.end(), L'/', L'\\');
      if (line == L"Extension directory deleted (or scheduled).") {
        EXPECT_FALSE(PathExists(accepted));
      } else if (line == L"Failed to delete extension directory.") {
        EXPECT_TRUE(PathExists(accepted));
      }
    }
    EXPECT_EQ(TouchedOutside(before, TakeSnapshot(scene.root, {scene.temp, scene.launch}), accepted), Lines{});
    EXPECT_TRUE(scene.CanariesIntact());
  }
}

}  // namespace

TEST_F(Faults, GeneratedCommandLinesTouchNothingButTheExtension) { RunLines(40); }
TEST_F(Faults, SlowGeneratedCommandLines) { RunLines(200); }

// Without a temporary folder that holds the copy within the classic limit
// (too long for GetTempPathW, or no room below it), the first process removes
// the extension itself; the log goes to its current folder or stays alone.
TEST_F(Faults, TemporaryFolderWithoutRoomForTheCopy) {
  for (size_t length : {300u, 230u}) {
    const Scene scene(L"temp_long");
    RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" wait=1");
    options.tempFolder = FolderOfLength(scene.root, length);
    options.currentFolder = scene.root + L"\\current";
    MakeFolder(options.tempFolder);
    MakeFolder(options.currentFolder);
    const RunResult run = RunProgram(options);
    ASSERT_EQ(run.processes.size(), 1u);
    EXPECT_EQ(run.ExitCode(0), 0u);
    EXPECT_FALSE(PathExists(scene.ext));
    const std::wstring logFolder = length > 260 ? options.currentFolder : options.tempFolder;
    EXPECT_EQ(ReadLogLines(logFolder).size(), 4u);
    EXPECT_EQ(TakeSnapshot(options.tempFolder).size(), length > 260 ? 0u : 1u);  // the log alone
  }
}

// Wine runs as root here, so a read-only log is still written; a folder in
// its place cannot be.
TEST_F(Faults, LogThatCannotBeWrittenChangesNoBoxAndNoExitCode) {
  const Scene scene(L"log_fault");
  MakeFolder(scene.temp + L"\\PexloPlayAiUninstall.log");
  const RunResult run = RunProgram(scene.Options(L"extdir=" + scene.ext + L" wait=1"));
  ASSERT_EQ(run.boxes.size(), 2u) << Describe(run);
  EXPECT_EQ(run.boxes[1].text, English(MessageId::Removed));
  EXPECT_EQ(run.ExitCode(0) + run.ExitCode(1), 0u);
  EXPECT_FALSE(PathExists(scene.ext) || PathExists(scene.launch));
}

// The host outlives the two-minute wait with a file of the extension open and
// exits as soon as the removal has begun: whichever way that race goes, the
// last box and both exit codes agree with what is left.
TEST_F(Faults, SlowHostOutlivesTheWaitAndExitsMidRemoval) {
  const Scene scene(L"host_mid");
  MakeWideTree(scene.ext, 2000, 100);
  const std::wstring held = scene.ext + L"\\part10\\file1050.js", stopFile = scene.root + L"\\stop-host";
  PROCESS_INFORMATION host = StartHost(stopFile, held);
  std::atomic<bool> ended{false};
  DWORD confirmedAt = 0, removalSeenAt = 0;
  std::thread watcher;
  RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" wait=1");
  options.timeoutMilliseconds = 300000;
  options.onBox = [&](const SeenBox& box) {
    if (box.text != English(MessageId::ConfirmRemoval)) return;
    confirmedAt = GetTickCount();
    watcher = std::thread([&] {  // the first file of any part to go shows that the removal has begun
      for (; !ended && !removalSeenAt; Sleep(2)) {
        for (int part = 0; part < 20 && !removalSeenAt; ++part) {
          if (!PathExists(scene.ext + L"\\part" + std::to_wstring(part) + L"\\file" + std::to_wstring(part * 100) + L".js")) {
            removalSeenAt = GetTickCount();
            WriteFileText(stopFile, L"");
          }
        }
      }
    });
  };
  const RunResult run = RunProgram(options);
  ended = true;
  if (watcher.joinable()) watcher.join();
  TerminateProcess(host.hProcess, 0);
  CloseHandle(host.hProcess);
  CloseHandle(host.hThread);

  ASSERT_NE(removalSeenAt, 0u) << "the removal never began while the host ran";
  EXPECT_GE(removalSeenAt - confirmedAt, 120000u);  // the limit is a floor, not a speed target
  ASSERT_EQ(run.boxes.size(), 2u) << Describe(run);
  const bool removed = run.boxes[1].text == English(MessageId::Removed);
  EXPECT_EQ(run.ExitCode(0), removed ? 0u : 1u);
  EXPECT_EQ(run.ExitCode(1), removed ? 0u : 1u);
  EXPECT_EQ(PathExists(scene.ext), !removed);
  EXPECT_EQ(ListsPath(PendingDeletions(), held), !removed);
  std::cout << (removed ? "Removed" : "RemoveFailed") << "\n";
}
