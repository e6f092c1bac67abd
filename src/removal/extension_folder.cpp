#include "removal/extension_folder.h"

#include <windows.h>

#include <vector>

#include "common/folders.h"
#include "common/handles.h"
#include "common/names.h"
#include "common/paths.h"
#include "removal/manifest.h"

namespace {

constexpr DWORD kManifestReadLimit = 1 << 20;  // a CEP manifest is a few kilobytes

bool HoldsThisBundlesManifest(const std::wstring& folder) {
  FileHandle manifest(CreateFileW(LongForm(JoinPath(folder, L"CSXS\\manifest.xml")).c_str(), GENERIC_READ,
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
  return static_cast<bool>(FindHandle(FindFirstFileW(LongForm(JoinPath(folder, L"*")).c_str(), &entry)));
}

}  // namespace

FolderVerdict JudgeFolder(const FolderAnswers& answers) {
  const PathLook& look = answers.look;
  if (look.absent) return answers.rootAnswers ? FolderVerdict::Absent : FolderVerdict::CannotLook;
  if (look.CannotLook()) return FolderVerdict::CannotLook;
  if (!IsFolder(look.attributes)) return FolderVerdict::Foreign;
  if (answers.namedAsBundle && IsLink(look.attributes)) return FolderVerdict::ThisExtension;
  if (!answers.namedAsBundle && !answers.holdsManifest) return FolderVerdict::Foreign;
  return answers.canBeListed ? FolderVerdict::ThisExtension : FolderVerdict::CannotLook;
}

// Only what the verdict needs is asked: a drive that does not answer may
// keep each call waiting.
FolderVerdict JudgeExtensionFolder(const std::wstring& folder) {
  FolderAnswers answers;
  answers.look = LookAt(folder);
  answers.rootAnswers = answers.look.absent && Exists(RootOf(folder));
  answers.namedAsBundle = SameNameIgnoringCase(FileNameOf(folder), kBundleId);
  const bool folderSeen = answers.look.Exists() && IsFolder(answers.look.attributes);
  answers.holdsManifest = folderSeen && !answers.namedAsBundle && HoldsThisBundlesManifest(folder);
  answers.canBeListed = folderSeen && !IsLink(answers.look.attributes) && CanBeListed(folder);
  return JudgeFolder(answers);
}
