#include "astro/language_table.h"

#include <string>

#include <gtest/gtest.h>

namespace zimbalo {
namespace {

constexpr Language kAll[] = {Language::German, Language::English, Language::French};

TEST(LanguageText, RowsOutsideTheTableAreEmpty) {
    for (const Language language : kAll) {
        EXPECT_EQ(LanguageText(0, language), "");
        EXPECT_EQ(LanguageText(-1, language), "");
        EXPECT_EQ(LanguageText(101, language), "");
        EXPECT_EQ(LanguageText(1 << 30, language), "");
        for (int row = 68; row <= 100; ++row) {
            EXPECT_EQ(LanguageText(row, language), "") << row;
        }
    }
    // A language value that came from a damaged settings file must not read past the row.
    EXPECT_EQ(LanguageText(1, static_cast<Language>(3)), "");
    EXPECT_EQ(LanguageText(1, static_cast<Language>(-1)), "");
}

TEST(LanguageText, EveryFilledRowHasItsLanguage) {
    // Rows whose cells are empty in some language on purpose.
    const auto expectedEmpty = [](int row, Language language) {
        switch (row) {
            case 14:
            case 15:
            case 30:
            case 31:
                return language != Language::French;
            case 42:
                return true;
            case 59:
            case 60:
                return language == Language::French;
            default:
                return row > 67;
        }
    };
    for (int row = 1; row <= 100; ++row) {
        for (const Language language : kAll) {
            EXPECT_EQ(LanguageText(row, language).empty(), expectedEmpty(row, language))
                << "row " << row << " language " << static_cast<int>(language);
            EXPECT_EQ(LanguageText(row, language),
                      LanguageTable[static_cast<std::size_t>(row)]
                                   [static_cast<std::size_t>(static_cast<int>(language))]);
        }
    }
}

TEST(LanguageText, BlanksAndSpecialCharactersAreKept) {
    // Trailing blanks pad texts into columns; they must survive byte for byte.
    EXPECT_EQ(LanguageText(12, Language::German), "Nichtzentr. ringf. Bedeckung  ");
    EXPECT_EQ(LanguageText(26, Language::French),
              " - le Vardel des occultations plan\xC3\xA9taires           ");
    EXPECT_EQ(LanguageText(26, Language::German), " - Der Planetenbedeckungs-Vardel");
    EXPECT_EQ(LanguageText(26, Language::English), " - The planetary occultations Vardel");
    EXPECT_EQ(LanguageText(19, Language::German), " D2||F'Ebene");
    EXPECT_EQ(LanguageText(19, Language::French), " D2||plaine F'");
    EXPECT_EQ(LanguageText(14, Language::French), ". de ");
    EXPECT_EQ(LanguageText(30, Language::French), " ");
    EXPECT_EQ(LanguageText(59, Language::German), " ");
    EXPECT_EQ(LanguageText(36, Language::English), " Sun   :altitude");
    // UTF-8 umlauts and accents.
    EXPECT_EQ(LanguageText(3, Language::German), "Ringf\xC3\xB6rmige Bedeckung");
    EXPECT_EQ(LanguageText(50, Language::German),
              "S\xC3\xBC"
              "d");
    EXPECT_EQ(LanguageText(25, Language::French),
              "R\xC3\xA8glage du temps (-3.5 hrs \xC3\xA0 +3.5 hrs)");
    // The texts are stored as given, misspellings included (stored lists and labels rely on them).
    EXPECT_EQ(LanguageText(44, Language::English), "occultatins found");
    EXPECT_EQ(LanguageText(58, Language::French),
              "Erreur de coordonn\xC3\xA9"
              "es");
}

TEST(LanguageText, PlanetNamesByCodeArePaddedToSevenCharacters) {
    const char* const german[] = {"Merkur ", "Venus  ", "Mars   ", "Jupiter",
                                  "Saturn ", "Uranus ", "Neptun "};
    const char* const english[] = {"Mercury", "Venus  ", "Mars   ", "Jupiter",
                                   "Saturn ", "Uranus ", "Neptune"};
    for (int code = 1; code <= 7; ++code) {
        EXPECT_EQ(LanguageText(code + 60, Language::German), german[code - 1]);
        EXPECT_EQ(LanguageText(code + 60, Language::English), english[code - 1]);
        // Seven characters (code points) in every language, so list columns stay aligned.
        for (const Language language : kAll) {
            const std::string_view text = LanguageText(code + 60, language);
            int codePoints = 0;
            for (const char c : text) {
                codePoints += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
            }
            EXPECT_EQ(codePoints, 7) << text;
        }
    }
    // The codes -1 and 0 read the blank rows.
    EXPECT_EQ(LanguageText(-1 + 60, Language::English), " ");
    EXPECT_EQ(LanguageText(0 + 60, Language::German), " ");
}

TEST(LanguageText, TextsAreNullTerminated) {
    // Callers may hand the data pointer to C interfaces.
    for (int row = 1; row <= 100; ++row) {
        for (const Language language : kAll) {
            const std::string_view text = LanguageText(row, language);
            EXPECT_EQ(text.data()[text.size()], '\0');
        }
    }
}

}  // namespace
}  // namespace zimbalo
