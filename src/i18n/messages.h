#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

enum class Language : int32_t { Chinese = 0, English = 1, Portuguese = 2 };

enum class MessageId : int32_t {
  Title = 0,
  Usage = 1,
  MissingExtDir = 2,
  ConfirmRemoval = 3,
  Removed = 4,
  RemoveFailed = 5,
};

// Every text the user sees, in three languages. One per process, created on
// first use with the language of the user's Windows UI.
struct MessageCatalog {
  Language language = Language::English;
  std::map<Language, std::map<MessageId, std::wstring>> messages;

  static MessageCatalog& Instance();

  // The text in the selected language, else in English, else empty.
  std::wstring Get(MessageId id) const;
};

// The language that a "lang=" value asks for; an empty value keeps current.
Language ParseLanguage(const std::wstring& value, Language current);

// The default language for a Windows UI language id.
Language LanguageForUiLanguage(LANGID uiLanguage);
