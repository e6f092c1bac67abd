#include "removal/extension_folder.h"

#include <windows.h>
#include <shlwapi.h>

#include "common/handles.h"

namespace {

const wchar_t kBundleId[] = L"com.pexlo.play.ai";
constexpr DWORD kManifestReadLimit = 1 << 20;  // a CEP manifest is a few kilobytes

// The manifest's text contains the bundle id, in UTF-8 (or ASCII) or UTF-16.
bool ManifestNamesExtension(const std::wstring& folder) {
  FileHandle manifest(CreateFileW((folder + L"\\CSXS\\manifest.xml").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!manifest) return false;
  std::string text(kManifestReadLimit, '\0');
  DWORD read = 0;
  if (!ReadFile(manifest.get(), text.data(), kManifestReadLimit, &read, nullptr)) return false;
  text.resize(read);
  const std::wstring wideId = kBundleId;
  const std::string narrowId(wideId.begin(), wideId.end());
  const std::string utf16Id(reinterpret_cast<const char*>(wideId.data()), wideId.size() * sizeof(wchar_t));
  return text.find(narrowId) != std::string::npos || text.find(utf16Id) != std::string::npos;
}

}  // namespace

bool IsRemovableExtensionFolder(const std::wstring& folder) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  return CompareStringOrdinal(PathFindFileNameW(folder.c_str()), -1, kBundleId, -1, TRUE) == CSTR_EQUAL ||
         ManifestNamesExtension(folder);
}
