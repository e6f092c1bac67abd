// ClearCepDebugMode on the prefix's real registry. These keys are shared by
// every test program, so this one runs under ctest's user_registry lock.
#include <gtest/gtest.h>

#include "removal/debug_mode.h"
#include "sandbox.h"

namespace {

using Lines = std::vector<std::wstring>;
const wchar_t kValue[] = L"PlayerDebugMode";

std::wstring Csxs(int version) { return L"Software\\Adobe\\CSXS." + std::to_wstring(version); }
std::wstring RemovedLine(int version) { return L"[Registry] Removed PlayerDebugMode from " + Csxs(version); }

class DebugMode : public testing::Test {
 protected:
  DebugMode() : temp_(MakeSandbox(L"debug_mode_log")), scoped_(temp_) { Clean(); }
  ~DebugMode() override { Clean(); }
  static void Clean() {
    for (int version = 7; version <= 15; ++version) DeleteRegistryTree(HKEY_CURRENT_USER, Csxs(version));
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, Csxs(11));
  }
  Lines Log() const { return ReadLogLines(temp_); }

  const std::wstring temp_;
  ScopedTempFolder scoped_;
};

}  // namespace

TEST_F(DebugMode, RemovesOnlyVersionsNineToThirteenOfTheCurrentUserAndLogsEach) {
  SetRegistryString(HKEY_CURRENT_USER, Csxs(8), kValue, L"1");
  SetRegistryString(HKEY_CURRENT_USER, Csxs(9), kValue, L"1");
  SetRegistryString(HKEY_CURRENT_USER, Csxs(9), L"LogLevel", L"6");
  SetRegistryDword(HKEY_CURRENT_USER, Csxs(11), kValue, 1);
  SetRegistryString(HKEY_CURRENT_USER, Csxs(14), kValue, L"1");
  SetRegistryString(HKEY_LOCAL_MACHINE, Csxs(11), kValue, L"1");

  ClearCepDebugMode();
  EXPECT_EQ(Log(), (Lines{RemovedLine(9), RemovedLine(11)}));
  EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, Csxs(9), kValue));
  EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, Csxs(11), kValue));
  EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, Csxs(9), L"LogLevel"));
  EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, Csxs(8), kValue));
  EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, Csxs(14), kValue));
  EXPECT_TRUE(RegistryValueExists(HKEY_LOCAL_MACHINE, Csxs(11), kValue));
  for (int version : {10, 12, 13}) EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, Csxs(version)));

  ClearCepDebugMode();  // nothing left to remove
  EXPECT_EQ(Log(), (Lines{RemovedLine(9), RemovedLine(11)}));
  EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, Csxs(11)));
}

TEST_F(DebugMode, VisitsTheFiveVersionsInAscendingOrder) {
  for (int version = 13; version >= 9; --version) {
    if (version % 2) SetRegistryDword(HKEY_CURRENT_USER, Csxs(version), kValue, 0);
    else SetRegistryString(HKEY_CURRENT_USER, Csxs(version), kValue, L"");
  }
  ClearCepDebugMode();
  EXPECT_EQ(Log(), (Lines{RemovedLine(9), RemovedLine(10), RemovedLine(11), RemovedLine(12), RemovedLine(13)}));
  for (int version = 9; version <= 13; ++version) {
    EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, Csxs(version), kValue));
  }
}

TEST_F(DebugMode, KeysWithoutTheValueAreLeftAsTheyAreAndSilent) {
  SetRegistryString(HKEY_CURRENT_USER, Csxs(10), L"LogLevel", L"6");
  SetRegistryDword(HKEY_CURRENT_USER, Csxs(10) + L"\\" + kValue, L"", 1);  // a sub-key of that name
  ClearCepDebugMode();
  EXPECT_EQ(Log(), Lines{});
  EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, Csxs(10), L"LogLevel"));
  EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, Csxs(10) + L"\\" + kValue));
  for (int version : {9, 11, 12, 13}) EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, Csxs(version)));
}
