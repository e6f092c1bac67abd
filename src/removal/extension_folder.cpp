#include "removal/extension_folder.h"

#include <windows.h>

#include <vector>

#include "common/handles.h"
#include "common/names.h"
#include "common/paths.h"
#include "removal/manifest.h"

namespace {

constexpr DWORD kManifestReadLimit = 1 << 20;  // a CEP manifest is a few kilobytes

bool HoldsThisBundlesManifest(const std::wstring& folder) {
  FileHandle manifest(CreateFileW(JoinPath(folder, L"CSXS\\manifest.xml").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!manifest) return false;
  std::vector<char> bytes(kManifestReadLimit);
  DWORD read = 0;
  if (!ReadFile(manifest.get(), bytes.data(), kManifestReadLimit, &read, nullptr)) return false;
  return IsThisBundlesManifest(std::string_view(bytes.data(), read));
}

bool CanBeListed(const std::wstring& folder) {
  WIN32_FIND_DATAW entry = {};
  return static_cast<bool>(FindHandle(FindFirstFileW(JoinPath(folder, L"*").c_str(), &entry)));
}

}  // namespace

FolderVerdict JudgeExtensionFolder(const std::wstring& folder) {
  const PathLook look = LookAt(folder);
  // "Not found" counts only where the drive or share itself answers: an
  // unmapped drive letter (an elevated process does not see the user's) or a
  // share that is offline says "not found" of everything on it.
  if (look.absent) return Exists(RootOf(folder)) ? FolderVerdict::Absent : FolderVerdict::CannotLook;
  if (look.CannotLook()) return FolderVerdict::CannotLook;
  if ((look.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return FolderVerdict::Foreign;
  if (!SameNameIgnoringCase(FileNameOf(folder), kBundleId) && !HoldsThisBundlesManifest(folder)) return FolderVerdict::Foreign;
  return CanBeListed(folder) ? FolderVerdict::ThisExtension : FolderVerdict::CannotLook;
}
