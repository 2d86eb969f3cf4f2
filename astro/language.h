#pragma once

namespace zimbalo {

/// Language of the user interface; also decides the code of an annular occultation ("r" or "a").
/// The numeric values are the index of the language (German first) used in settings and tables.
enum class Language { German = 0, English = 1, French = 2 };

}  // namespace zimbalo
