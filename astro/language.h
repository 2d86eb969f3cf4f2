#pragma once

#include <cstddef>

namespace zimbalo {

/// Language of the user interface; also decides the code of an annular occultation ("r" or "a").
/// The numeric values are the index of the language (German first) used in settings and tables.
enum class Language { German = 0, English = 1, French = 2 };

/// Row of a language in a table of three (German, English, French); a value outside the three,
/// as a damaged settings byte could give, selects German.
constexpr std::size_t LanguageIndex(Language language) {
    const int index = static_cast<int>(language);
    return index >= 0 && index <= 2 ? static_cast<std::size_t>(index) : 0;
}

}  // namespace zimbalo
