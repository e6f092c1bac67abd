#include "e2e_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "sandbox.h"

const wchar_t kBanner[] = L"--- Pexlo Play AI extension uninstaller start ---";

namespace {
const wchar_t kCanaryText[] = L"must survive";
}

Scene::Scene(const std::wstring& name)
    : root(MakeSandbox(name)),
      temp(root + L"\\temp"),
      launch(root + L"\\launch"),
      program(PlaceProgram(launch)),
      ext(root + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai") {
  MakeFolder(temp);
  MakeExtension(ext);
  WriteFileText(root + L"\\canary.txt", kCanaryText);
  WriteFileText(root + L"\\Adobe\\CEP\\extensions\\canary.txt", kCanaryText);
  MakeFolder(root + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai.other");
  WriteFileText(root + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai.other\\canary.txt", kCanaryText);
}

RunOptions Scene::Options(const std::wstring& arguments) const {
  RunOptions options;
  options.program = program;
  options.arguments = arguments;
  options.tempFolder = temp;
  return options;
}

std::vector<std::wstring> Scene::Log() const { return ReadLogLines(temp); }

bool Scene::CanariesIntact() const {
  for (const std::wstring& path :
       {root + L"\\canary.txt", root + L"\\Adobe\\CEP\\extensions\\canary.txt",
        root + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai.other\\canary.txt"}) {
    if (ReadFileWide(path) != kCanaryText) return false;
  }
  return true;
}

void MakeExtension(const std::wstring& folder) {
  MakeFolder(folder + L"\\CSXS");
  MakeFolder(folder + L"\\js\\lib\\nested\\deeper");
  MakeFolder(folder + L"\\\u8d44\u6e90");
  WriteFileText(folder + L"\\CSXS\\manifest.xml", L"<ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai\"/>");
  WriteFileText(folder + L"\\index.html", L"<html></html>");
  WriteFileText(folder + L"\\js\\main.js", L"main();");
  WriteFileText(folder + L"\\js\\lib\\nested\\deeper\\dep.js", L"dep();");
  WriteFileText(folder + L"\\\u8d44\u6e90\\\u56fe\u6807.png", L"png");
  WriteFileText(folder + L"\\.debug", L"<ExtensionList/>");
  WriteFileText(folder + L"\\readonly.txt", L"ro");
  SetFileAttributesW((folder + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
}

std::vector<std::wstring> BoxTexts(const RunResult& run) {
  std::vector<std::wstring> texts;
  for (const SeenBox& box : run.boxes) texts.push_back(box.caption + L" | " + box.text);
  return texts;
}

std::wstring CsxsKey(int version) { return L"Software\\Adobe\\CSXS." + std::to_wstring(version); }
