#include "i18n/messages.h"

#include <cwchar>

#include "i18n/texts.h"

namespace {

MessageCatalog CreateCatalog() {
  MessageCatalog catalog;
  catalog.messages = BuiltInTexts();
  catalog.language = LanguageForUiLanguage(GetUserDefaultUILanguage());
  return catalog;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

}  // namespace

MessageCatalog& MessageCatalog::Instance() {
  static MessageCatalog catalog = CreateCatalog();  // thread-safe, released at exit
  return catalog;
}

std::wstring MessageCatalog::Get(MessageId id) const {
  for (Language candidate : {language, Language::English}) {
    auto table = messages.find(candidate);
    if (table == messages.end()) continue;
    auto text = table->second.find(id);
    if (text != table->second.end()) return text->second;
  }
  return L"";
}

Language LanguageForUiLanguage(LANGID uiLanguage) {
  switch (PRIMARYLANGID(uiLanguage)) {
    case LANG_CHINESE: return Language::Chinese;
    case LANG_PORTUGUESE: return Language::Portuguese;
    default: return Language::English;
  }
}

Language ParseLanguage(const std::wstring& value, Language current) {
  if (value.empty()) return current;
  std::wstring lower = value;
  for (wchar_t& c : lower) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 0x20);  // ASCII only
  }
  if (StartsWith(lower, L"zh") || lower == L"cn" || lower == L"chinese") return Language::Chinese;
  if (StartsWith(lower, L"pt") || lower == L"portuguese") return Language::Portuguese;
  return Language::English;
}
