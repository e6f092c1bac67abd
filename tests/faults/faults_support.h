#pragma once
// What the fault and bad-input cases share: the texts of the boxes, the
// state of a sandbox before and after a run, and the checks that a run's
// boxes and exit codes agree with what happened on disk.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "driver.h"
#include "e2e_support.h"

extern const wchar_t kConfirm[];
extern const wchar_t kRemoved[];
extern const wchar_t kFailed[];
extern const wchar_t kMissing[];

// Every run here touches the user's CSXS keys (none are set) and the list
// of deletions at restart; ctest gives these tests a lock for both.
struct Faults : testing::Test {
  void SetUp() override;
  void TearDown() override;
};

// Every file and folder below root (paths as listed, folders with an empty
// content), leaving out the subtrees named in skip.
using Snapshot = std::map<std::wstring, std::vector<unsigned char>>;
Snapshot TakeSnapshot(const std::wstring& root, const std::vector<std::wstring>& skip = {});

// What is missing or changed in after, compared with before; entries inside
// allowed (a folder the run was free to remove) do not count. Empty when
// nothing else was touched.
std::vector<std::wstring> TouchedOutside(const Snapshot& before, const Snapshot& after, const std::wstring& allowed);

// The outcome the last box reported, checked against the disk: Removed with
// exit code 0 and the folder gone, or RemoveFailed with exit code 1 and the
// folder still there. Returns the final box's text ("" when there was none).
std::wstring ExpectBoxesMatchDisk(const RunResult& run, const std::wstring& folder);

// A folder path below base exactly length characters long (not created).
std::wstring FolderOfLength(const std::wstring& base, size_t length);

// Creates count files of a few bytes each, spread over folders of at most
// perFolder files below root.
void MakeWideTree(const std::wstring& root, int count, int perFolder);

// Starts the stand-in Illustrator.exe, which runs until stopFile exists and
// meanwhile keeps heldFile open (when given) without sharing its deletion.
PROCESS_INFORMATION StartHost(const std::wstring& stopFile, const std::wstring& heldFile = L"");

// True when this process runs under Wine rather than Windows.
bool RunningUnderWine();
