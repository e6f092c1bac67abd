#include <gtest/gtest.h>

#include "i18n/messages.h"

namespace {

struct ExpectedText {
  Language language;
  MessageId id;
  const wchar_t* text;
  size_t length;
};

const ExpectedText kTexts[] = {
    {Language::English, MessageId::Title, L"Pexlo Play Uninstaller", 22},
    {Language::Chinese, MessageId::Title, L"Pexlo Play \u5378\u8f7d\u7a0b\u5e8f", 15},
    {Language::Portuguese, MessageId::Title, L"Desinstalador Pexlo Play", 24},
    {Language::English, MessageId::Usage,
     L"Usage: pexloplay-ai-uninstaller.exe extdir=\"<extension folder>\" lang=en|zh|pt", 77},
    {Language::Chinese, MessageId::Usage,
     L"\u7528\u6cd5: pexloplay-ai-uninstaller.exe extdir=\"<\u6269\u5c55\u76ee\u5f55>\" lang=en|zh|pt", 62},
    {Language::Portuguese, MessageId::Usage,
     L"Uso: pexloplay-ai-uninstaller.exe extdir=\"<pasta da extens\u00e3o>\" lang=en|zh|pt", 76},
    {Language::English, MessageId::MissingExtDir,
     L"Missing required argument extdir= (full path to com.pexlo.play.ai).", 67},
    {Language::Chinese, MessageId::MissingExtDir,
     L"\u7f3a\u5c11\u53c2\u6570 extdir=\uff08CEP \u6269\u5c55 com.pexlo.play.ai "
     L"\u7684\u5b8c\u6574\u8def\u5f84\uff09\u3002",
     45},
    {Language::Portuguese, MessageId::MissingExtDir,
     L"Par\u00e2metro obrigat\u00f3rio ausente: extdir= (caminho completo para com.pexlo.play.ai).", 81},
    {Language::English, MessageId::ConfirmRemoval,
     L"The Pexlo Play Illustrator extension will be removed.\nPlease close Adobe Illustrator, then click OK "
     L"to continue.",
     112},
    {Language::Chinese, MessageId::ConfirmRemoval,
     L"\u5373\u5c06\u5220\u9664 Pexlo Play Illustrator \u6269\u5c55\u3002\n\u8bf7\u5148\u5173\u95ed Adobe "
     L"Illustrator\uff0c\u7136\u540e\u70b9\u201c\u786e\u5b9a\u201d\u7ee7\u7eed\u3002",
     65},
    {Language::Portuguese, MessageId::ConfirmRemoval,
     L"A extens\u00e3o Pexlo Play para Illustrator ser\u00e1 removida.\nFeche o Adobe Illustrator e clique em OK "
     L"para continuar.",
     110},
    {Language::English, MessageId::Removed,
     L"Extension removed. If files were in use, deletion will finish after the next restart.", 85},
    {Language::Chinese, MessageId::Removed,
     L"\u6269\u5c55\u5df2\u5220\u9664\uff08\u82e5\u6587\u4ef6\u88ab\u5360\u7528\uff0c\u5c06\u5728\u4e0b\u6b21"
     L"\u91cd\u542f\u540e\u5b8c\u6210\u5220\u9664\uff09\u3002",
     26},
    {Language::Portuguese, MessageId::Removed,
     L"Extens\u00e3o removida. Se os arquivos estiverem em uso, a exclus\u00e3o terminar\u00e1 ap\u00f3s a "
     L"reinicializa\u00e7\u00e3o.",
     96},
    {Language::English, MessageId::RemoveFailed,
     L"Could not remove the extension folder. Close Illustrator and try again.", 71},
    {Language::Chinese, MessageId::RemoveFailed,
     L"\u65e0\u6cd5\u5220\u9664\u6269\u5c55\u76ee\u5f55\u3002\u8bf7\u5173\u95ed Illustrator "
     L"\u540e\u91cd\u8bd5\u3002",
     29},
    {Language::Portuguese, MessageId::RemoveFailed,
     L"N\u00e3o foi poss\u00edvel excluir a pasta da extens\u00e3o. Feche o Illustrator e tente novamente.", 84},
};

// A catalog of its own, so that tests never disturb the process-wide one.
MessageCatalog CatalogIn(Language language) {
  MessageCatalog catalog = MessageCatalog::Instance();
  catalog.language = language;
  return catalog;
}

}  // namespace

TEST(Catalog, HoldsTheEighteenTextsExactly) {
  for (const ExpectedText& expected : kTexts) {
    const std::wstring text = CatalogIn(expected.language).Get(expected.id);
    EXPECT_EQ(text, expected.text) << "language " << static_cast<int>(expected.language) << ", id "
                                   << static_cast<int>(expected.id);
    EXPECT_EQ(text.size(), expected.length);
  }
  EXPECT_EQ(MessageCatalog::Instance().messages.size(), 3u);
}

TEST(Catalog, OnlyTheConfirmationHasALineFeedAndNoTextHasACarriageReturn) {
  for (const ExpectedText& expected : kTexts) {
    const std::wstring text = CatalogIn(expected.language).Get(expected.id);
    EXPECT_EQ(text.find(L'\r'), std::wstring::npos);
    EXPECT_EQ(text.find(L'\n') != std::wstring::npos, expected.id == MessageId::ConfirmRemoval);
  }
}

TEST(Catalog, UnknownIdGivesEmptyTextAndUnknownLanguageFallsBackToEnglish) {
  for (Language language : {Language::Chinese, Language::English, Language::Portuguese}) {
    EXPECT_EQ(CatalogIn(language).Get(static_cast<MessageId>(6)), L"");
    EXPECT_EQ(CatalogIn(language).Get(static_cast<MessageId>(-1)), L"");
  }
  EXPECT_EQ(CatalogIn(static_cast<Language>(7)).Get(MessageId::Title), L"Pexlo Play Uninstaller");
}

TEST(Catalog, MissingTextFallsBackToEnglishThenEmpty) {
  MessageCatalog catalog = CatalogIn(Language::Portuguese);
  catalog.messages[Language::Portuguese].erase(MessageId::Removed);
  EXPECT_EQ(catalog.Get(MessageId::Removed),
            L"Extension removed. If files were in use, deletion will finish after the next restart.");
  catalog.messages.erase(Language::English);
  EXPECT_EQ(catalog.Get(MessageId::Removed), L"");
  EXPECT_EQ(catalog.Get(MessageId::Title), L"Desinstalador Pexlo Play");
}

TEST(Catalog, InstanceIsOneObject) {
  EXPECT_EQ(&MessageCatalog::Instance(), &MessageCatalog::Instance());
}

TEST(UiLanguageDefault, ChineseAndPortugueseOfAnyRegionElseEnglish) {
  for (LANGID id : {0x0804, 0x0404, 0x0C04, 0x1004, 0x1404}) EXPECT_EQ(LanguageForUiLanguage(id), Language::Chinese);
  for (LANGID id : {0x0416, 0x0816}) EXPECT_EQ(LanguageForUiLanguage(id), Language::Portuguese);
  for (LANGID id : {0x0409, 0x040C, 0x0411, 0x0000, 0x0007}) EXPECT_EQ(LanguageForUiLanguage(id), Language::English);
}

TEST(LanguageValue, EmptyKeepsTheCurrentLanguage) {
  for (Language current : {Language::Chinese, Language::English, Language::Portuguese}) {
    EXPECT_EQ(ParseLanguage(L"", current), current);
  }
}

TEST(LanguageValue, ChineseValues) {
  for (const wchar_t* value : {L"zh", L"ZH-TW", L"zh_CN", L"Zh", L"zhs", L"CN", L"cn", L"Chinese", L"CHINESE"}) {
    EXPECT_EQ(ParseLanguage(value, Language::Portuguese), Language::Chinese) << value;
  }
}

TEST(LanguageValue, PortugueseValues) {
  for (const wchar_t* value : {L"pt", L"pt-BR", L"PT", L"ptx", L"PORTUGUESE", L"portuguese"}) {
    EXPECT_EQ(ParseLanguage(value, Language::Chinese), Language::Portuguese) << value;
  }
}

TEST(LanguageValue, EverythingElseIsEnglishWhateverTheCurrentLanguage) {
  for (const wchar_t* value : {L"en", L"english", L"fr", L"x", L"z", L"cn-x", L"chinese ", L" zh", L"xzh",
                               L"chinese-x", L"portugues", L"\uFF3A\uFF28", L"\u00C7n"}) {
    EXPECT_EQ(ParseLanguage(value, Language::Chinese), Language::English) << value;
    EXPECT_EQ(ParseLanguage(value, Language::Portuguese), Language::English) << value;
  }
}
