#include <gtest/gtest.h>

#include "log/log.h"
#include "sandbox.h"

namespace {

std::vector<unsigned char> Utf16Bytes(const std::wstring& text) {
  std::vector<unsigned char> bytes;
  for (wchar_t c : text) {
    bytes.push_back(static_cast<unsigned char>(c & 0xFF));
    bytes.push_back(static_cast<unsigned char>(c >> 8));
  }
  return bytes;
}

}  // namespace

TEST(Log, WritesUtf16WithoutByteOrderMarkAndAppendsAcrossCalls) {
  const std::wstring temp = MakeSandbox(L"log_bytes");
  ScopedTempFolder scoped(temp);
  const std::wstring logPath = temp + L"\\PexloPlayAiUninstall.log";

  WriteLog(L"--- first ---");
  EXPECT_EQ(ReadFileBytes(logPath), Utf16Bytes(L"--- first ---\r\n"));

  WriteLog(L"");
  WriteLog(L"extdir: T:\\\u6269\u5c55\\\U0001F600");  // Chinese and a surrogate pair
  WriteLog(L"two\nlines");
  EXPECT_EQ(ReadFileBytes(logPath),
            Utf16Bytes(L"--- first ---\r\n\r\nextdir: T:\\\u6269\u5c55\\\U0001F600\r\ntwo\nlines\r\n"));
  EXPECT_EQ(ReadFileBytes(logPath).size(), 2u * (13 + 0 + 16 + 9 + 4 * 2));
}

TEST(Log, KeepsWhatAnEarlierRunWrote) {
  const std::wstring temp = MakeSandbox(L"log_keep");
  ScopedTempFolder scoped(temp);
  WriteFileText(temp + L"\\PexloPlayAiUninstall.log", L"earlier run\r\n");
  WriteLog(L"this run");
  EXPECT_EQ(ReadLogLines(temp), (std::vector<std::wstring>{L"earlier run", L"this run"}));
}

// Wine runs as root here, so a read-only attribute does not stop a writer;
// a folder in the log's place is a log that cannot be opened just the same.
TEST(Log, UnopenableLogLosesTheLineQuietly) {
  const std::wstring temp = MakeSandbox(L"log_folder");
  ScopedTempFolder scoped(temp);
  MakeFolder(temp + L"\\PexloPlayAiUninstall.log");
  WriteLog(L"lost");
  EXPECT_TRUE(PathExists(temp + L"\\PexloPlayAiUninstall.log\\."));
}

TEST(Log, LockedFileLosesTheLineQuietly) {
  const std::wstring temp = MakeSandbox(L"log_locked");
  ScopedTempFolder scoped(temp);
  const std::wstring logPath = temp + L"\\PexloPlayAiUninstall.log";
  WriteFileText(logPath, L"kept\r\n");
  {
    HANDLE writer = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    WriteLog(L"lost while another writer holds it");
    CloseHandle(writer);
  }
  WriteLog(L"written again");
  EXPECT_EQ(ReadLogLines(temp), (std::vector<std::wstring>{L"kept", L"written again"}));
}

TEST(Log, MissingTemporaryFolderLosesTheLine) {
  const std::wstring temp = MakeSandbox(L"log_missing") + L"\\absent";
  ScopedTempFolder scoped(temp);
  WriteLog(L"nowhere to go");
  EXPECT_FALSE(PathExists(temp));
}
