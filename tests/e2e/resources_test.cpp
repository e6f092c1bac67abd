// The program's resources as Windows reads them: version block, manifest, icon.
#include <gtest/gtest.h>

#include <string>

#include "driver.h"

namespace {

std::string Resource(HMODULE module, LPCWSTR type) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), type);
  if (!found) return "";
  return std::string(static_cast<const char*>(LockResource(LoadResource(module, found))), SizeofResource(module, found));
}

}  // namespace

TEST(Resources, VersionBlockCarriesTheProjectVersion) {
  const std::wstring path = BuiltProgram();
  std::vector<char> data(GetFileVersionInfoSizeW(path.c_str(), nullptr));
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  wchar_t* text = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(PROJECT_VERSION_MINOR, PROJECT_VERSION_MAJOR)));
  EXPECT_EQ(fixed->dwProductVersionLS, static_cast<DWORD>(MAKELONG(0, PROJECT_VERSION_PATCH)));
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductVersion", reinterpret_cast<void**>(&text), &length));
  EXPECT_EQ(std::wstring(text), PROJECT_VERSION_TEXT);
}

TEST(Resources, ManifestAndIconAreThoseOfACurrentWindowsProgram) {
  HMODULE module = LoadLibraryExW(BuiltProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr);
  const std::string manifest = Resource(module, RT_MANIFEST);
  for (const char* declaration :
       {"<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", ">PerMonitorV2</dpiAwareness>",
        ">true/pm</dpiAware>", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
    EXPECT_NE(manifest.find(declaration), std::string::npos) << declaration;
  }
  // One 256 x 256 image of 8 bits per pixel (0 stands for 256), stored as PNG.
  const std::string group = Resource(module, RT_GROUP_ICON);
  ASSERT_EQ(group.size(), 6u + 14u);
  EXPECT_EQ(group.substr(6, 2), std::string(2, '\0'));
  EXPECT_EQ(group[12], 8);
  EXPECT_EQ(Resource(module, RT_ICON).substr(0, 4), "\x89PNG");
  FreeLibrary(module);
}
