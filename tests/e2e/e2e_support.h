#pragma once
// Folders and checks shared by the end-to-end tests.
#include <string>
#include <vector>

#include "driver.h"

extern const wchar_t kBanner[];

// One run's own folders under a fresh sandbox: temp (the run's TMP and TEMP),
// launch (holding the launch executable), ext (an installed extension), and
// canaries beside and above the extension that must survive every run.
struct Scene {
  explicit Scene(const std::wstring& name);
  std::wstring root, temp, launch, program, ext;
  RunOptions Options(const std::wstring& arguments) const;
  std::vector<std::wstring> Log() const;
  bool CanariesIntact() const;
};

// Lays out a small extension: a manifest, web assets, nested folders, a
// read-only file and a non-Latin name.
void MakeExtension(const std::wstring& folder);

// The captions and texts of the boxes, for readable failure messages.
std::vector<std::wstring> BoxTexts(const RunResult& run);

// HKCU\Software\Adobe\CSXS.<version>.
std::wstring CsxsKey(int version);
