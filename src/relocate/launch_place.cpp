#include "relocate/launch_place.h"

#include <windows.h>

#include <cwchar>

#include "common/decimal.h"
#include "common/folders.h"
#include "common/handles.h"
#include "common/names.h"
#include "common/paths.h"
#include "log/log.h"

namespace {

const std::wstring kBesidePrefix = std::wstring(kWorkFolderName) + L"_", kBesideSuffix = L".tmp";
constexpr DWORD kRecordReadLimit = 16384;  // bytes; three lines of paths

std::wstring RecordPath(const std::wstring& workFolder) { return JoinPath(workFolder, kLaunchRecordName); }

// The record's text, or empty when it cannot be read.
std::wstring ReadRecord(const std::wstring& path) {
  FileHandle file(CreateFileW(LongForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::wstring text(kRecordReadLimit / sizeof(wchar_t), L'\0');
  DWORD read = 0;
  if (!file || !ReadFile(file.get(), text.data(), kRecordReadLimit, &read, nullptr)) return L"";
  text.resize(read / sizeof(wchar_t));
  return text.rfind(L"\xFEFF", 0) == 0 ? text.substr(1) : L"";
}

}  // namespace

std::wstring LaunchBesideExtension(const std::wstring& extensionFolder, const std::wstring& workFolderName) {
  return JoinPath(FolderOf(extensionFolder), kBesidePrefix + workFolderName + kBesideSuffix);
}

std::wstring WorkFolderNameBeside(const std::wstring& fileName) {
  const size_t affixes = kBesidePrefix.size() + kBesideSuffix.size();
  if (fileName.size() <= affixes || !SameNameIgnoringCase(fileName.substr(0, kBesidePrefix.size()), kBesidePrefix) ||
      !SameNameIgnoringCase(fileName.substr(fileName.size() - kBesideSuffix.size()), kBesideSuffix)) {
    return L"";
  }
  return fileName.substr(kBesidePrefix.size(), fileName.size() - affixes);
}

void WriteLaunchRecord(const std::wstring& workFolder, const std::wstring& extensionFolder, const MovedLaunch& moved) {
  const std::wstring text = L"\xFEFF" + moved.from + L"\r\n" + extensionFolder + L"\r\n" + Decimal(moved.attributes) + L"\r\n";
  FileHandle file(CreateFileW(LongForm(RecordPath(workFolder)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  // Without a record, only the run itself puts the file back, as before records.
  if (!file || !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr)) {
    WriteLog(L"[Stage2] The launch executable's place could not be recorded: " + RecordPath(workFolder));
  }
}

void ForgetLaunchRecord(const std::wstring& workFolder) {
  DeleteFileW(LongForm(RecordPath(workFolder)).c_str());  // none when nothing was moved
}

std::optional<LaunchRecord> ParseLaunchRecord(const std::wstring& text) {
  std::wstring lines[3];
  size_t start = 0;
  for (std::wstring& line : lines) {
    const size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) return std::nullopt;
    line = text.substr(start, end - start);
    start = end + 2;
  }
  const std::wstring &from = lines[0], &extension = lines[1], &attributes = lines[2];
  if (start != text.size() || !IsPlainPathBelowRoot(from) || !IsPlainPathBelowRoot(extension) ||
      from.size() == extension.size() || !IsInsideFolder(from, extension) ||
      attributes.empty() || attributes.size() > 10 || attributes.find_first_not_of(L"0123456789") != std::wstring::npos) {
    return std::nullopt;
  }
  return LaunchRecord{from, extension, static_cast<unsigned long>(std::wcstoull(attributes.c_str(), nullptr, 10))};
}

bool PutBackRecordedLaunch(const std::wstring& workFolder) {
  const std::wstring recordPath = RecordPath(workFolder);
  if (IsAbsent(recordPath)) return true;
  const auto record = ParseLaunchRecord(ReadRecord(recordPath));
  if (!record) {
    WriteLog(L"[Stage1] Kept a work folder whose record of a launch executable cannot be read: " + recordPath);
    return false;
  }
  const PathLook place = LookAt(FolderOf(record->from));
  const bool placeIsThere = place.Exists() && IsFolder(place.attributes);
  for (const std::wstring& at : {JoinPath(workFolder, L"launch_" + FileNameOf(record->from)),
                                 LaunchBesideExtension(record->extensionFolder, FileNameOf(workFolder))}) {
    const PathLook look = LookAt(at);
    if (look.absent) continue;
    const bool plainFile = look.Exists() && !IsFolder(look.attributes) && !IsLink(look.attributes);
    if (!placeIsThere || !plainFile || !MoveFileExW(LongForm(at).c_str(), LongForm(record->from).c_str(), 0)) {
      WriteLog(L"[Stage1] Kept a work folder: the launch executable of its run cannot go back yet, it is here: " + at);
      return false;
    }
    SetFileAttributesW(LongForm(record->from).c_str(), record->attributes);
    WriteLog(L"[Stage1] Put back a launch executable that an earlier run could not: " + record->from);
  }
  return true;  // the record goes with the work folder
}
