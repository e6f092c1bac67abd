// Reads the version block of the built program as Explorer's Properties page does.
#include <windows.h>

#include <gtest/gtest.h>

#include "driver.h"

#include <string>
#include <vector>

namespace {

class VersionBlock : public testing::Test {
 protected:
  void SetUp() override {
    const std::wstring path = BuiltProgram();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version block in " << std::string(path.begin(), path.end());
    data_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data_.data()));
  }

  std::wstring String(const std::wstring& name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = L"\\StringFileInfo\\040904B0\\" + name;
    if (!VerQueryValueW(data_.data(), query.c_str(), &value, &length) || length == 0) return L"<missing>";
    return static_cast<const wchar_t*>(value);
  }

  std::vector<unsigned char> data_;
};

std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }

}  // namespace

TEST_F(VersionBlock, NamesProductCompanyAndFile) {
  EXPECT_EQ(String(L"ProductName"), L"Pexlo Play Uninstaller");
  EXPECT_EQ(String(L"CompanyName"), L"Pexlo");
  EXPECT_EQ(String(L"OriginalFilename"), L"pexloplay-ai-uninstaller.exe");
  EXPECT_NE(String(L"FileDescription"), L"<missing>");
}

TEST_F(VersionBlock, CarriesTheProjectVersion) {
  EXPECT_EQ(String(L"FileVersion"), Widen(PROJECT_VERSION_TEXT));
  EXPECT_EQ(String(L"ProductVersion"), Widen(PROJECT_VERSION_TEXT));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  const DWORD high = MAKELONG(PROJECT_VERSION_MINOR_NUMBER, PROJECT_VERSION_MAJOR_NUMBER);
  const DWORD low = MAKELONG(0, PROJECT_VERSION_PATCH_NUMBER);
  EXPECT_EQ(fixed->dwFileVersionMS, high);
  EXPECT_EQ(fixed->dwFileVersionLS, low);
  EXPECT_EQ(fixed->dwProductVersionMS, high);
  EXPECT_EQ(fixed->dwProductVersionLS, low);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionBlock, IsInUsEnglishUnicode) {
  struct Translation {
    WORD language, codePage;
  }* translations = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translations), &length));
  ASSERT_GE(length, sizeof(Translation));
  EXPECT_EQ(translations[0].language, 0x0409);
  EXPECT_EQ(translations[0].codePage, 1200);
}
