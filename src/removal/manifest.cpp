#include "removal/manifest.h"

#include <windows.h>

#include "common/names.h"

namespace {

const wchar_t kWhiteSpace[] = L" \t\r\n";

std::wstring FromUtf8(std::string_view bytes, size_t start) {
  const int size = static_cast<int>(bytes.size() - start);
  std::wstring text(MultiByteToWideChar(CP_UTF8, 0, bytes.data() + start, size, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data() + start, size, text.data(), static_cast<int>(text.size()));
  return text;
}

std::wstring FromUtf16(std::string_view bytes, bool bigEndian) {
  std::wstring text;
  for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
    const auto first = static_cast<unsigned char>(bytes[at]), second = static_cast<unsigned char>(bytes[at + 1]);
    text.push_back(static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first));
  }
  return text;
}

std::wstring Decode(std::string_view bytes) {
  if (bytes.compare(0, 2, "\xFF\xFE") == 0) return FromUtf16(bytes, false);
  if (bytes.compare(0, 2, "\xFE\xFF") == 0) return FromUtf16(bytes, true);
  return FromUtf8(bytes, bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0);
}

// Where the root element starts: past white space, the XML declaration (and
// any other processing instruction) and comments; npos when the text ends first.
size_t RootStart(const std::wstring& text) {
  for (size_t at = 0;;) {
    at = text.find_first_not_of(kWhiteSpace, at);
    if (at == std::wstring::npos) return at;
    if (text.compare(at, 2, L"<?") == 0) {
      at = text.find(L"?>", at + 2);
      if (at == std::wstring::npos) return at;
      at += 2;
    } else if (text.compare(at, 4, L"<!--") == 0) {
      at = text.find(L"-->", at + 4);
      if (at == std::wstring::npos) return at;
      at += 3;
    } else {
      return at;
    }
  }
}

}  // namespace

bool IsThisBundlesManifest(std::string_view bytes) {
  const std::wstring text = Decode(bytes), root = L"<ExtensionManifest";
  size_t at = RootStart(text);
  if (at == std::wstring::npos || text.compare(at, root.size(), root) != 0) return false;
  at += root.size();
  if (at >= text.size() || std::wstring(kWhiteSpace).find(text[at]) == std::wstring::npos) return false;
  // Each attribute of the root's start tag, up to its end.
  while ((at = text.find_first_not_of(kWhiteSpace, at)) != std::wstring::npos && text[at] != L'>' &&
         text[at] != L'/') {
    const size_t nameEnd = text.find_first_of(L" \t\r\n=/>", at);
    if (nameEnd == std::wstring::npos) return false;
    const std::wstring name = text.substr(at, nameEnd - at);
    at = text.find_first_not_of(kWhiteSpace, nameEnd);
    if (at == std::wstring::npos || text[at] != L'=') return false;
    at = text.find_first_not_of(kWhiteSpace, at + 1);
    if (at == std::wstring::npos || (text[at] != L'"' && text[at] != L'\'')) return false;
    const size_t valueEnd = text.find(text[at], at + 1);
    if (valueEnd == std::wstring::npos) return false;
    if (name == L"ExtensionBundleId") return text.compare(at + 1, valueEnd - at - 1, kBundleId) == 0;
    at = valueEnd + 1;
  }
  return false;
}
