#include "app/start_language.h"

#include <cstdlib>

namespace zimbalo::app {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithLanguage(std::string_view locale, std::string_view code) {
    if (locale.size() < code.size()) {
        return false;
    }
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (Lower(locale[i]) != code[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

Language LanguageFromLocale(std::string_view localeName) {
    // The portable locales name no language: keep the program's own default.
    const std::string_view base = localeName.substr(0, localeName.find_first_of(".@"));
    if (base.empty() || base == "C" || base == "POSIX") {
        return Language::German;
    }
    if (StartsWithLanguage(base, "de")) {
        return Language::German;
    }
    if (StartsWithLanguage(base, "fr")) {
        return Language::French;
    }
    return Language::English;
}

std::string MessagesLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

Language SystemStartLanguage() {
    return LanguageFromLocale(MessagesLocaleName());
}

}  // namespace zimbalo::app
