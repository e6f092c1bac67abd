// Two uninstallers at once, with one temporary folder and so one log: both
// confirmations are up before either is answered, so the two removals run
// side by side.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "command_lines.h"
#include "faults_support.h"
#include "sandbox.h"

namespace {

using Lines = std::vector<std::wstring>;

struct Barrier {
  explicit Barrier(int parties) : waiting(parties) {}
  void ArriveAndWait() {
    std::unique_lock<std::mutex> lock(mutex);
    if (--waiting == 0) {
      ready.notify_all();
    } else {
      ready.wait_for(lock, std::chrono::seconds(30), [this] { return waiting == 0; });
    }
  }
  std::mutex mutex;
  std::condition_variable ready;
  int waiting;
};

// Starts both runs; each answers its confirmation only when the other's is
// up too.
std::pair<RunResult, RunResult> RunSideBySide(RunOptions first, RunOptions second) {
  Barrier barrier(2);
  for (RunOptions* options : {&first, &second}) {
    options->onBox = [&barrier](const SeenBox& box) {
      if (box.text == kConfirm) barrier.ArriveAndWait();
    };
  }
  RunResult a, b;
  std::thread other([&] { b = RunProgram(second); });
  a = RunProgram(first);
  other.join();
  return {a, b};
}

// Whether the log is the two runs' lines interleaved, each run's in its
// own order, with lines that a writer could not write left out.
bool IsInterleaving(const Lines& log, const Lines& a, const Lines& b) {
  std::set<std::pair<size_t, size_t>> states = {{0, 0}};
  for (const std::wstring& line : log) {
    std::set<std::pair<size_t, size_t>> next;
    for (const auto& state : states) {
      for (size_t i = state.first; i < a.size(); ++i) {
        if (a[i] == line) next.insert({i + 1, state.second});
      }
      for (size_t j = state.second; j < b.size(); ++j) {
        if (b[j] == line) next.insert({state.first, j + 1});
      }
    }
    if (next.empty()) return false;
    states = next;
  }
  return true;
}

Lines ExpectedLines(const Scene& scene, const RunResult& run) {
  const std::wstring copy = run.processes.size() > 1 ? run.processes[1].imagePath : L"?";
  return {kBanner,
          L"extdir: " + scene.ext,
          L"[Stage1] Relaunching from temp: " + copy,
          kBanner,
          L"extdir: " + scene.ext,
          L"[Delete] SHFileOperation removed: " + scene.ext,
          L"Extension directory deleted (or scheduled).",
          L"[Stage2] origdir: " + scene.launch + L"\\",
          L"[Stage2] Removed empty directory: " + scene.launch};
}

}  // namespace

TEST_F(Faults, TwoRunsOnDifferentFoldersBothRemoveTheirOwnAndShareTheLog) {
  const Scene a(L"pair_a"), b(L"pair_b");
  MakeWideTree(a.ext, 600, 100);
  MakeWideTree(b.ext, 600, 100);
  RunOptions second = b.Options(L"extdir=\"" + b.ext + L"\" lang=en");
  second.tempFolder = a.temp;  // one log for both

  const auto runs = RunSideBySide(a.Options(L"extdir=\"" + a.ext + L"\" lang=en"), second);

  for (const auto& pair : {std::make_pair(&a, &runs.first), std::make_pair(&b, &runs.second)}) {
    const Scene& scene = *pair.first;
    const RunResult& run = *pair.second;
    ASSERT_EQ(run.processes.size(), 2u);
    EXPECT_EQ(run.ExitCode(0), 0u);
    ASSERT_EQ(run.boxes.size(), 2u) << testing::PrintToString(BoxTexts(run));
    EXPECT_EQ(run.boxes[0].text, kConfirm);
    EXPECT_EQ(ExpectBoxesMatchDisk(run, scene.ext), kRemoved);
    EXPECT_TRUE(scene.CanariesIntact());
    EXPECT_FALSE(PathExists(scene.launch));
  }
  const Lines log = ReadLogLines(a.temp);
  const Lines linesA = ExpectedLines(a, runs.first), linesB = ExpectedLines(b, runs.second);
  EXPECT_TRUE(IsInterleaving(log, linesA, linesB)) << testing::PrintToString(log);
  std::cout << log.size() << " of " << linesA.size() + linesB.size() << " lines in the log\n";
}

TEST_F(Faults, TwoRunsOnTheSameFolderEachReportWhatTheyFound) {
  const Scene scene(L"pair_same");
  MakeWideTree(scene.ext, 1500, 100);
  const RunOptions options = scene.Options(L"extdir=\"" + scene.ext + L"\" lang=en");

  const auto runs = RunSideBySide(options, options);

  int removed = 0;
  std::set<std::wstring> copies;
  for (const RunResult* run : {&runs.first, &runs.second}) {
    ASSERT_EQ(run->processes.size(), 2u);
    EXPECT_EQ(run->ExitCode(0), 0u);
    ASSERT_EQ(run->boxes.size(), 2u) << testing::PrintToString(BoxTexts(*run));
    EXPECT_EQ(run->boxes[0].text, kConfirm);
    // A run that found the folder still there when it looked says so; by
    // the time both have ended the other run has removed it.
    const std::wstring last = run->boxes[1].text;
    EXPECT_TRUE(last == kRemoved || last == kFailed) << Printable(last);
    EXPECT_EQ(run->ExitCode(1), last == kRemoved ? 0u : 1u);
    removed += last == kRemoved;
    copies.insert(L"[Stage1] Relaunching from temp: " + run->processes[1].imagePath);
    std::cout << "run: " << (last == kRemoved ? "Removed" : "RemoveFailed") << "\n";
  }
  EXPECT_GE(removed, 1);
  EXPECT_FALSE(PathExists(scene.ext));
  EXPECT_TRUE(scene.CanariesIntact());
  EXPECT_FALSE(PathExists(scene.program));

  // Every line is whole and one that these runs write.
  const std::set<std::wstring> known = {kBanner,
                                        L"extdir: " + scene.ext,
                                        L"[Delete] SHFileOperation failed, fallback RemoveDirectory.",
                                        L"Extension directory deleted (or scheduled).",
                                        L"Failed to delete extension directory.",
                                        L"[Stage2] origdir: " + scene.launch + L"\\",
                                        L"[Stage2] Removed empty directory: " + scene.launch};
  const std::wstring removedLine = L"[Delete] SHFileOperation removed: ";
  for (const std::wstring& line : ReadLogLines(scene.temp)) {
    const bool removal = line.rfind(removedLine, 0) == 0 && IsWithin(line.substr(removedLine.size()), scene.ext);
    EXPECT_TRUE(known.count(line) || copies.count(line) || removal) << Printable(line);
  }
}
