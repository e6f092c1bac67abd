#pragma once
#include <optional>
#include <string>

// Where a launch executable that the copy moved out of the extension's folder
// lies, and where it came from.
struct MovedLaunch {
  std::wstring from, to;
  unsigned long attributes;  // put back with it; writable meanwhile, so that it goes with the work folder
};

// Beside the extension's folder, on its volume but outside it, hidden:
// PexloPlayAiUninstall_<work folder name>.tmp, for a work folder on another volume.
std::wstring LaunchBesideExtension(const std::wstring& extensionFolder, const std::wstring& workFolderName);
// The work folder name that such a file's name carries; empty for any other name.
std::wstring WorkFolderNameBeside(const std::wstring& fileName);

// While the file is out of its place, a record in the copy's work folder
// says where it came from: launch_from.txt, UTF-16 with a byte-order mark,
// the file's own path, the extension's folder and the file's attributes, a
// line each. It goes once the file is back or the removal has succeeded, so
// a work folder that keeps one belongs to a run that could not put the file
// back (or did not live to).
inline constexpr wchar_t kLaunchRecordName[] = L"launch_from.txt";
void WriteLaunchRecord(const std::wstring& workFolder, const std::wstring& extensionFolder, const MovedLaunch& moved);
void ForgetLaunchRecord(const std::wstring& workFolder);

// A record's text, read back: exactly those three lines, both paths plain
// and full, the file's own inside the extension's folder.
struct LaunchRecord {
  std::wstring from, extensionFolder;
  unsigned long attributes;
};
std::optional<LaunchRecord> ParseLaunchRecord(const std::wstring& text);

// The sweep, in an earlier run's work folder whose copy has ended: moves the
// launch executable its record names back from where that run put it (in
// that folder, or beside the extension's folder), never over anything and
// only into a folder that is there. True when nothing is left to put back;
// false when the file could not go back yet, or the record cannot be read,
// and the work folder must stay whole.
bool PutBackRecordedLaunch(const std::wstring& workFolder);
