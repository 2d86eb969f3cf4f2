#pragma once

#include <array>
#include <string_view>

#include "astro/language.h"

namespace zimbalo {

/// Number of rows of the language table; rows are numbered 1..kLanguageRows.
inline constexpr int kLanguageRows = 100;

/// One row of run-time words: German, English and French, indexed by `Language`.
using LanguageRow = std::array<std::string_view, 3>;

/// The run-time words of the program in its three languages (UTF-8), read as
/// `LanguageTable[row][language]`. Index 0 is an unused empty row so that rows keep their numbers;
/// rows 68..100 and some cells of rows 1..67 are empty. Blanks inside the texts are significant:
/// several texts are fixed-width columns or are glued to numbers.
extern const std::array<LanguageRow, kLanguageRows + 1> LanguageTable;

/// The text of `row` (1..100) in `language`; "" for any row or language out of range.
/// The view points to static, null-terminated storage.
std::string_view LanguageText(int row, Language language);

}  // namespace zimbalo
