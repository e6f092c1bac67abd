// The program's own handling of an escaping exception (src/driver/uncaught.cpp)
// ends the process exactly as the C++ runtime's does: the same lines on
// stderr and the same exit code, for every way an exception can escape.
#include <gtest/gtest.h>

#include <string>

#include "driver/type_name.h"
#include "sandbox.h"

namespace {

struct Ending {
  DWORD exitCode = 0;
  std::string errorOutput;
};

std::wstring BinFolder() {
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  std::wstring folder = own;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

// Runs one of the two probes with its stderr going to a file of its own.
Ending RunProbe(const std::wstring& probe, const std::wstring& which) {
  Ending ending;
  const std::wstring errorFile = MakeSandbox(L"probe") + L"\\stderr.txt";
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  HANDLE error = CreateFileW(errorFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (error == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot create " << std::string(errorFile.begin(), errorFile.end());
    return ending;
  }
  std::wstring line = L"\"" + BinFolder() + L"\\" + probe + L"\" " + which;
  line.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = error;
  startup.hStdOutput = error;
  PROCESS_INFORMATION process = {};
  const BOOL started =
      CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(error);
  if (!started) {
    ADD_FAILURE() << "cannot start the probe";
    return ending;
  }
  WaitForSingleObject(process.hProcess, 60000);
  GetExitCodeProcess(process.hProcess, &ending.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const std::vector<unsigned char> bytes = ReadFileBytes(errorFile);
  ending.errorOutput.assign(bytes.begin(), bytes.end());
  return ending;
}

std::string Readable(const char* mangled) {
  char buffer[64];
  return ReadableTypeName(mangled, buffer, sizeof(buffer));
}

}  // namespace

TEST(Uncaught, EveryEscapeEndsAsWithTheRuntimesOwnHandling) {
  for (const wchar_t* which : {L"out_of_memory", L"bad_array_new_length", L"allocator_bad_alloc", L"string_length",
                               L"vector_length", L"string_range", L"string_null", L"not_an_exception",
                               L"no_exception", L"rethrow_nothing"}) {
    const Ending runtime = RunProbe(L"terminate_probe_runtime.exe", which);
    const Ending program = RunProbe(L"terminate_probe.exe", which);
    const std::string name(which, which + wcslen(which));
    EXPECT_NE(runtime.exitCode, 0u) << name;
    EXPECT_EQ(program.exitCode, runtime.exitCode) << name;
    EXPECT_FALSE(runtime.errorOutput.empty()) << name;
    EXPECT_EQ(program.errorOutput, runtime.errorOutput) << name;
  }
}

TEST(Uncaught, RunningOutOfMemoryNamesTheException) {
  const Ending program = RunProbe(L"terminate_probe.exe", L"out_of_memory");
  EXPECT_EQ(program.errorOutput.find("terminate called after throwing an instance of 'std::bad_alloc'"), 0u)
      << program.errorOutput;
  EXPECT_NE(program.errorOutput.find("  what():  std::bad_alloc"), std::string::npos) << program.errorOutput;
}

TEST(Uncaught, NothingEscapingEndsNothing) {
  const Ending program = RunProbe(L"terminate_probe.exe", L"");
  EXPECT_EQ(program.exitCode, 0u);
  EXPECT_EQ(program.errorOutput, "");
}

TEST(ReadableTypeName, SpellsPlainAndNestedClassesAsTheDemanglerDoes) {
  EXPECT_EQ(Readable("St9bad_alloc"), "std::bad_alloc");
  EXPECT_EQ(Readable("St20bad_array_new_length"), "std::bad_array_new_length");
  EXPECT_EQ(Readable("St12length_error"), "std::length_error");
  EXPECT_EQ(Readable("St12out_of_range"), "std::out_of_range");
  EXPECT_EQ(Readable("St11logic_error"), "std::logic_error");
  EXPECT_EQ(Readable("5Plain"), "Plain");
  EXPECT_EQ(Readable("N5probe5PlainE"), "probe::Plain");
  EXPECT_EQ(Readable("NSt8ios_base7failureE"), "std::ios_base::failure");
}

TEST(ReadableTypeName, CopiesAnyOtherNameUnchanged) {
  for (const char* name : {"", "i", "Pc", "St", "St9bad", "St9bad_alloc1", "N5probeE5Plain", "N5probe5Plain",
                           "St0x", "10tooshort"}) {
    EXPECT_EQ(Readable(name), name);
  }
}

TEST(ReadableTypeName, NeverWritesPastTheBuffer) {
  char buffer[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
  EXPECT_STREQ(ReadableTypeName("St9bad_alloc", buffer, 4), "St9");
  EXPECT_EQ(buffer[4], '#');
  EXPECT_STREQ(ReadableTypeName("St9bad_alloc", buffer, 1), "");
  EXPECT_EQ(ReadableTypeName("St9bad_alloc", buffer, 0), buffer);
}
