#include "app/start_language.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace zimbalo::app {
namespace {

TEST(LanguageFromLocale, LanguageOfTheLocaleDecides) {
    struct Case {
        const char* locale;
        Language expected;
    };

    const Case cases[] = {
        {"de_CH", Language::German},        {"de_DE.UTF-8", Language::German},
        {"de_AT@euro", Language::German},   {"de", Language::German},
        {"fr_CA", Language::French},        {"fr_FR.UTF-8", Language::French},
        {"fr", Language::French},           {"ja_JP", Language::English},
        {"en_US.UTF-8", Language::English}, {"it_CH.UTF-8", Language::English},
        {"nl_BE", Language::English},       {"es_ES@euro", Language::English},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LanguageFromLocale(c.locale), c.expected) << c.locale;
    }
}

TEST(LanguageFromLocale, PortableLocalesKeepTheDefault) {
    for (const char* locale : {"", "C", "C.UTF-8", "C.utf8", "POSIX", "C@euro"}) {
        EXPECT_EQ(LanguageFromLocale(locale), Language::German) << '"' << locale << '"';
    }
    // A language whose code merely starts like "C" is still a language.
    EXPECT_EQ(LanguageFromLocale("ca_ES.UTF-8"), Language::English);
    EXPECT_EQ(LanguageFromLocale("cs_CZ"), Language::English);
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }

    ~ScopedEnv() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(MessagesLocaleName, AllThenMessagesThenLang) {
    {
        const ScopedEnv all("LC_ALL", "fr_CA.UTF-8");
        const ScopedEnv messages("LC_MESSAGES", "ja_JP");
        const ScopedEnv lang("LANG", "de_CH");
        EXPECT_EQ(MessagesLocaleName(), "fr_CA.UTF-8");
        EXPECT_EQ(SystemStartLanguage(), Language::French);
    }
    {
        const ScopedEnv all("LC_ALL", "");  // set but empty: not in effect
        const ScopedEnv messages("LC_MESSAGES", "ja_JP");
        const ScopedEnv lang("LANG", "de_CH");
        EXPECT_EQ(SystemStartLanguage(), Language::English);
    }
    {
        const ScopedEnv all("LC_ALL", nullptr);
        const ScopedEnv messages("LC_MESSAGES", nullptr);
        const ScopedEnv lang("LANG", nullptr);
        EXPECT_EQ(MessagesLocaleName(), "");
        EXPECT_EQ(SystemStartLanguage(), Language::German);
    }
}

}  // namespace
}  // namespace zimbalo::app
