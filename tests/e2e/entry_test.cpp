#include <gtest/gtest.h>

#include "driver.h"
#include "sandbox.h"

TEST(Entry, NoArgumentsShowsUsage) {
  const std::wstring root = MakeSandbox(L"entry_usage");
  const std::wstring temp = root + L"\\temp";
  MakeFolder(temp);
  RunOptions options;
  options.program = PlaceProgram(root + L"\\launch");
  options.tempFolder = temp;
  const RunResult run = RunProgram(options);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].caption, L"Pexlo Play Uninstaller");
  EXPECT_TRUE(run.boxes[0].IsError());
  EXPECT_EQ(run.ExitCode(0), 2u);
  EXPECT_EQ(ReadLogLines(temp), std::vector<std::wstring>{L"--- Pexlo Play AI extension uninstaller start ---"});
}
