#pragma once
#include <map>
#include <string>

#include "i18n/messages.h"

// The 18 built-in texts: six messages in Chinese, English and Portuguese.
std::map<Language, std::map<MessageId, std::wstring>> BuiltInTexts();
