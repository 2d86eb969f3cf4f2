#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zimbalo::lists {

/// Text from a file or the command line as an error message shows it: between `quote`
/// characters, control characters as escapes ("\r", "\n", "\t", "\x01"), a backslash or the quote
/// character itself behind a backslash, cut after `maxBytes` bytes with "...". A stray carriage
/// return or NUL is thus seen and cannot garble the terminal.
std::string QuotedForMessage(std::string_view text, char quote, std::size_t maxBytes);

}  // namespace zimbalo::lists
