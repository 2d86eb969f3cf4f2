#pragma once

#include <string>
#include <string_view>

#include "astro/language.h"

namespace zimbalo::app {

/// The interface language of a first start from a POSIX locale name ("de_CH.UTF-8", "fr_CA",
/// "ja_JP"): German for "de*", French for "fr*", English for any other language; German for an
/// empty, "C" (with any code set or modifier) or "POSIX" locale, the default of the settings.
Language LanguageFromLocale(std::string_view localeName);

/// The locale that decides the language of messages: the first non-empty of LC_ALL, LC_MESSAGES
/// and LANG, or "" when none is set.
std::string MessagesLocaleName();

/// The language of a first start on this system (`LanguageFromLocale` of `MessagesLocaleName`).
Language SystemStartLanguage();

}  // namespace zimbalo::app
