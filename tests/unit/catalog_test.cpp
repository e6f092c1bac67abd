#include <gtest/gtest.h>

#include "i18n/messages.h"
#include "support.h"

namespace {

const Language kLanguages[] = {Language::Chinese, Language::English, Language::Portuguese};

// A catalog of its own, so that the process-wide one stays as it is.
MessageCatalog CatalogIn(Language language) {
  MessageCatalog catalog = MessageCatalog::Instance();
  catalog.language = language;
  return catalog;
}

}  // namespace

TEST(Catalog, HoldsTheEighteenTextsAndFallsBackToEnglishThenNothing) {
  for (Language language : kLanguages) {
    for (int id = 0; id <= 5; ++id) {
      EXPECT_EQ(CatalogIn(language).Get(MessageId(id)), ExpectedText(language, MessageId(id)));
    }
    EXPECT_EQ(CatalogIn(language).Get(MessageId(6)), L"");
  }
  EXPECT_EQ(CatalogIn(Language(7)).Get(MessageId::Title), English(MessageId::Title));
  MessageCatalog catalog = CatalogIn(Language::Portuguese);
  catalog.messages[Language::Portuguese].erase(MessageId::Removed);
  EXPECT_EQ(catalog.Get(MessageId::Removed), English(MessageId::Removed));
  catalog.messages.erase(Language::English);
  EXPECT_EQ(catalog.Get(MessageId::Removed), L"");
}

TEST(Catalog, LanguageFromTheUiOrTheLangValue) {
  for (LANGID id : {0x0804, 0x0404, 0x0C04}) EXPECT_EQ(LanguageForUiLanguage(id), Language::Chinese);
  for (LANGID id : {0x0416, 0x0816}) EXPECT_EQ(LanguageForUiLanguage(id), Language::Portuguese);
  for (LANGID id : {0x0409, 0x040C, 0x0000}) EXPECT_EQ(LanguageForUiLanguage(id), Language::English);

  for (Language current : kLanguages) EXPECT_EQ(ParseLanguage(L"", current), current);
  for (const wchar_t* value : {L"zh", L"ZH-TW", L"zh_CN", L"Zh", L"zhs", L"CN", L"Chinese"}) {
    EXPECT_EQ(ParseLanguage(value, Language::Portuguese), Language::Chinese) << value;
  }
  for (const wchar_t* value : {L"pt", L"pt-BR", L"PT", L"ptx", L"PORTUGUESE"}) {
    EXPECT_EQ(ParseLanguage(value, Language::Chinese), Language::Portuguese) << value;
  }
  for (const wchar_t* value : {L"en", L"fr", L"x", L"cn-x", L"chinese ", L" zh", L"xzh", L"portugues", L"\uFF3A\uFF28"}) {
    EXPECT_EQ(ParseLanguage(value, Language::Chinese), Language::English) << value;
    EXPECT_EQ(ParseLanguage(value, Language::Portuguese), Language::English) << value;
  }
}
