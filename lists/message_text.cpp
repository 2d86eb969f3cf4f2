#include "lists/message_text.h"

namespace zimbalo::lists {

std::string QuotedForMessage(std::string_view text, char quote, std::size_t maxBytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out(1, quote);
    for (const char c : text.substr(0, maxBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else if (c == '\\' || c == quote) {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    if (text.size() > maxBytes) {
        out += "...";
    }
    out += quote;
    return out;
}

}  // namespace zimbalo::lists
