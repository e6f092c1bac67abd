#include "i18n/messages.h"

#include "common/paths.h"
#include "i18n/texts.h"

namespace {

MessageCatalog CreateCatalog() {
  MessageCatalog catalog;
  catalog.messages = BuiltInTexts();
  catalog.language = LanguageForUiLanguage(GetUserDefaultUILanguage());
  return catalog;
}

bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& prefix) {
  return SameNameIgnoringCase(text.substr(0, prefix.size()), prefix);
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
  if (StartsWithIgnoringCase(value, L"zh") || SameNameIgnoringCase(value, L"cn") || SameNameIgnoringCase(value, L"chinese")) {
    return Language::Chinese;
  }
  if (StartsWithIgnoringCase(value, L"pt") || SameNameIgnoringCase(value, L"portuguese")) return Language::Portuguese;
  return Language::English;
}
