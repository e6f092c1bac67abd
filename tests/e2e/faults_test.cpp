// Faults around the program: hostile command lines, temporary folders that
// cannot hold the copy, and a host that outlives the wait. Cases named
// *Slow* carry ctest's slow label.
#include <algorithm>
#include <iostream>
#include <random>

#include "support.h"

namespace {

struct Faults : CleanState {};

// The path with slashes and a lower-case drive letter.
std::wstring Slashed(std::wstring path) {
  std::replace(path.begin(), path.end(), L'\\', L'/');
  path[0] = static_cast<wchar_t>(towlower(path[0]));
  return path;
}

// A line of key=value pairs: known keys (in other cases too) and others;
// values that name the extension in other spellings, folders that are not
// the extension's, and junk; all quoted in hostile ways.
std::wstring GenerateLine(std::mt19937& random, const Scene& scene) {
  const auto pick = [&random](const Lines& choices) { return choices[random() % choices.size()]; };
  const std::wstring extensions = scene.root + L"\\Adobe\\CEP\\extensions";
  std::wstring line;
  for (size_t pairs = 1 + random() % 6; pairs > 0; --pairs) {
    std::wstring value;
    for (size_t n = random() % 4; n > 0; --n) {
      value += pick({L"\"", L"\\", L"\\\\\\", L"\\\"", L" ", L"\t", L"=", L"/", L":", L"*", L"?", L"|", L".", L"..",
                     L"\x01", L"\r\n", L"\x3000", L"\u6269\u5c55", L"\U0001F600", L"\xd800", L"\\\\?\\", L"CON",
                     L"COM\u00b9", L"1", L"yes"});
    }
    if (random() % 2) {
      value = pick({scene.ext, scene.ext + L"\\\\//", scene.ext + L"\\js", extensions, scene.root, scene.launch,
                    extensions + L"\\COM.PEXLO.PLAY.AI", Slashed(scene.ext), extensions + L"\\gone"}) +
              (random() % 4 ? L"" : value);
    }
    const std::wstring key = pick({L"extdir", L"extdir", L"lang", L"stage", L"origdir", L"silent", L"wait", L"outcome",
                                   L"EXTDIR", L"x"});
    line += pick({key + L"=\"" + value + L"\"", L"\"" + key + L"=" + value + L"\"", key + L"=\\\"" + value + L"\\\"",
                  key + L"=\"" + value + L"\\\"", key + L"=" + value}) +
            pick({L" ", L"  ", L"\t"});
  }
  return line;
}

// Each line runs in a sandbox of its own and is judged by the log and the
// disk alone: no crash, no hang; nothing touched but the folder a process
// accepted; a folder reported removed is gone, one reported not removed is
// not. FUZZ_SEED and FUZZ_RUNS replay or widen a run.
void RunLines(unsigned count) {
  wchar_t text[32] = {};
  const unsigned seed = GetEnvironmentVariableW(L"FUZZ_SEED", text, 32) ? wcstoul(text, nullptr, 10) : 20261206;
  if (GetEnvironmentVariableW(L"FUZZ_RUNS", text, 32)) count = wcstoul(text, nullptr, 10);
  std::mt19937 random(seed);
  for (unsigned index = 0; index < count && !testing::Test::HasFailure(); ++index) {
    const Scene scene(L"line");
    RunOptions options = scene.Options(GenerateLine(random, scene));
    const Snapshot before = TakeSnapshot(scene.root, {scene.temp, scene.launch});
    const RunResult run = RunChecked(options);
    SCOPED_TRACE("line " + std::to_string(index) + " of FUZZ_SEED=" + std::to_string(seed) + ": " +
                 testing::PrintToString(options.arguments));
    if (run.startError) continue;  // Wine now and then refuses to start a line that Windows takes
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
