#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// Number texts of the lists: always "." as decimal separator and no grouping, whatever the
/// locale; strict conversions of typed or file text; fixed-width alignment.
namespace zimbalo::lists {

/// Fixed-point text with `decimals` (0..17) decimals, e.g. FormatFixed(-12.345, 2) = "-12.35"
/// (round half to even on the exact binary value). A value that shows as zero has no sign.
std::string FormatFixed(double value, int decimals);

/// Shortest decimal text that reads back as the same double, e.g. "47.5583" or "7".
std::string FormatShortest(double value);

/// Decimal text of an integer.
std::string FormatInt(std::int64_t value);

/// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -0.5 -> 0).
double RoundHalfEven(double value);

/// `text` prefixed with blanks and cut to its last `width` characters (bytes).
std::string AlignRight(std::string_view text, std::size_t width);

/// `text` followed by blanks and cut to its first `width` characters (bytes).
std::string AlignLeft(std::string_view text, std::size_t width);

/// `text` without leading and trailing blanks.
std::string_view TrimBlanks(std::string_view text);

/// Integer of a text made of an optional sign and decimal digits only; nothing when the text is
/// anything else or outside the 64-bit range.
std::optional<std::int64_t> ParseStrictInt64(std::string_view text);

/// Like `ParseStrictInt64`, limited to the 32-bit range.
std::optional<std::int32_t> ParseStrictInt32(std::string_view text);

/// Number of a text made of an optional sign, digits with at most one "." and an optional
/// exponent ("e" or "E", optional sign, digits); at least one digit before the exponent. No
/// blanks, no grouping, no "," and no infinities; nothing for anything else or out of range.
std::optional<double> ParseStrictDecimal(std::string_view text);

}  // namespace zimbalo::lists
