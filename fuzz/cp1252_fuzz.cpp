// Windows-1252 both ways: every byte string survives the way to UTF-8 and back, and each byte
// decodes as a table written out here independently says; UTF-8 of any bytes becomes
// Windows-1252 without a crash, valid UTF-8 of code page characters exactly.
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "lists/cp1252.h"

using namespace zimbalo;
using fuzz::Check;

namespace {

// 0x80..0x9F; the five unassigned bytes stand for the C1 controls of the same number.
constexpr char32_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Expected(unsigned char b) {
    return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : b;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string utf8;
    for (unsigned char b : bytes) {
        Check(lists::Cp1252ToUnicode(b) == Expected(b), "code point of a byte");
        AppendUtf8(utf8, Expected(b));
    }
    Check(lists::Cp1252ToUtf8(bytes) == utf8, "UTF-8 of the bytes");
    Check(lists::Utf8ToCp1252(utf8) == bytes, "round trip");

    // Any bytes taken as UTF-8: at most one output byte per input byte, plain ASCII kept.
    const std::string back = lists::Utf8ToCp1252(bytes, '?');
    Check(back.size() <= bytes.size(), "no longer than its UTF-8");
    bool ascii = true;
    for (unsigned char b : bytes) {
        ascii = ascii && b < 0x80;
    }
    Check(!ascii || back == bytes, "ASCII unchanged");
    return 0;
}
