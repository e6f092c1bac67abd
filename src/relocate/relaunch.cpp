#include "relocate/relaunch.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

#include "common/handles.h"
#include "common/paths.h"
#include "driver/args.h"
#include "log/log.h"

namespace {

bool Exists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; }

std::wstring LaunchFolderOf(const std::wstring& ownPath) {
  wchar_t buffer[MAX_PATH] = {};
  ownPath.copy(buffer, MAX_PATH - 1);
  PathRemoveFileSpecW(buffer);
  return EnsureTrailingSeparator(buffer);
}

// The temporary folder, or empty when it cannot be read whole: a cut-off
// path would put the work folder relative to the current folder.
std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, buffer);
  if (length == 0 || length >= MAX_PATH) return L"";
  return buffer;
}

bool StartCopy(const std::wstring& commandLine, const std::wstring& workFolder) {
  std::vector<wchar_t> writableLine(commandLine.begin(), commandLine.end());
  writableLine.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, writableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workFolder.c_str(),
                      &startup, &process)) {
    return false;
  }
  // The copy runs on its own; this process never waits for it.
  FileHandle thread(process.hThread);
  FileHandle child(process.hProcess);
  return true;
}

}  // namespace

std::wstring QuoteArgument(const std::wstring& value) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : value) {
    if (c == L'\\') {
      ++backslashes;
    } else if (c == L'"') {
      quoted.append(backslashes + 1, L'\\');  // double the run, escape the quote
      backslashes = 0;
    } else {
      backslashes = 0;
    }
    quoted.push_back(c);
  }
  quoted.append(backslashes, L'\\');  // a final run must not escape the closing quote
  quoted.push_back(L'"');
  return quoted;
}

std::wstring BuildRelaunchLine(const std::wstring& copyPath, const std::wstring& extensionFolder,
                               const std::wstring& launchFolder, const std::wstring& langValue) {
  std::wstring line = QuoteArgument(copyPath);
  line += L" extdir=" + QuoteArgument(extensionFolder);
  line += L" stage=2";
  line += L" origdir=" + QuoteArgument(TrimTrailingSeparators(launchFolder));
  if (!langValue.empty()) line += L" lang=" + QuoteArgument(langValue);
  return line;
}

std::wstring WorkFolderPath(const std::wstring& tempFolder, unsigned long processId,
                            unsigned long tickCount) {
  return EnsureTrailingSeparator(tempFolder) + L"PexloPlayAiUninstall\\" + DecimalText(processId) + L"_" +
         DecimalText(tickCount) + L"\\";
}

bool CreateDirectoryTree(const std::wstring& path) {
  const std::wstring folder = TrimTrailingSeparators(path);
  if (folder.empty()) return false;
  if (Exists(folder)) return true;

  wchar_t buffer[MAX_PATH] = {};
  folder.copy(buffer, MAX_PATH - 1);
  const std::wstring whole = buffer;
  for (size_t index = 0; index < whole.size(); ++index) {
    if (whole[index] != L'\\' && whole[index] != L'/') continue;
    const std::wstring parent = whole.substr(0, index);
    if (!parent.empty() && !Exists(parent)) {
      CreateDirectoryW(parent.c_str(), nullptr);  // the last step below decides
    }
  }
  if (Exists(whole)) return true;
  return CreateDirectoryW(whole.c_str(), nullptr) != FALSE;
}

bool RelaunchFromTemp(int argumentCount, wchar_t** argumentVector, const std::wstring& extensionFolder,
                      const std::wstring& langValue) {
  if (GetArgValue(argumentCount, argumentVector, L"stage") == L"2") return false;

  const std::wstring ownPath = GetOwnPath();
  const std::wstring launchFolder = ownPath.empty() ? L"" : LaunchFolderOf(ownPath);
  const std::wstring tempFolder = TempFolder();
  if (tempFolder.empty()) return false;

  const unsigned long processId = GetCurrentProcessId();
  const unsigned long tickCount = GetTickCount();
  const std::wstring workFolder = WorkFolderPath(tempFolder, processId, tickCount);
  if (!CreateDirectoryTree(workFolder)) return false;

  const std::wstring copyPath = workFolder + PathFindFileNameW(ownPath.c_str());
  if (!CopyFileW(ownPath.c_str(), copyPath.c_str(), FALSE)) return false;

  WriteLog(L"[Stage1] Relaunching from temp: " + copyPath);
  if (!StartCopy(BuildRelaunchLine(copyPath, extensionFolder, launchFolder, langValue), workFolder)) {
    WriteLog(L"[Stage1] CreateProcessW failed.");
    return false;
  }
  return true;
}
