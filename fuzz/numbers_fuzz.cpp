// The strict number parsers against independent versions (a shape check, then the C library's
// conversion), and the number texts read back to the same value.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "lists/number_text.h"

using namespace zimbalo;
using fuzz::Check;

namespace {

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// Optional sign, then digits only.
bool IntegerShape(std::string_view t) {
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        t.remove_prefix(1);
    }
    if (t.empty()) {
        return false;
    }
    for (char c : t) {
        if (!Digit(c)) {
            return false;
        }
    }
    return true;
}

// Optional sign, digits with at most one ".", at least one digit, optional exponent with digits.
bool DecimalShape(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (Digit(t[i])) {
            ++digits;
        } else if (t[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
            ++i;
        }
        std::size_t exponent = 0;
        for (; i < t.size() && Digit(t[i]); ++i) {
            ++exponent;
        }
        if (exponent == 0) {
            return false;
        }
    }
    return i == t.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // strtoll stops at a NUL and skips leading blanks: the shape check keeps it to plain text.
    const auto i64 = lists::ParseStrictInt64(text);
    if (IntegerShape(text)) {
        errno = 0;
        char* end = nullptr;
        const long long v = std::strtoll(text.c_str(), &end, 10);
        const bool fits = errno == 0 && end == text.c_str() + text.size();
        Check(i64.has_value() == fits, "64-bit integer accepted exactly when it fits");
        Check(!fits || *i64 == v, "64-bit integer value");
        const auto i32 = lists::ParseStrictInt32(text);
        const bool fits32 = fits && v >= -2147483648LL && v <= 2147483647LL;
        Check(i32.has_value() == fits32 && (!fits32 || *i32 == v), "32-bit integer");
    } else {
        Check(!i64 && !lists::ParseStrictInt32(text), "integer of another shape refused");
    }

    const auto d = lists::ParseStrictDecimal(text);
    if (DecimalShape(text)) {
        errno = 0;
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        if (errno == 0 && end == text.c_str() + text.size() && std::isfinite(v)) {
            Check(d.has_value() && std::memcmp(&*d, &v, sizeof v) == 0, "decimal value");
        }
        if (std::isinf(v)) {
            Check(!d, "overflow refused");
        }
    } else {
        Check(!d, "decimal of another shape refused");
    }
    if (d) {
        Check(lists::ParseStrictDecimal(lists::FormatShortest(*d)) == d,
              "shortest text reads back");
        const std::string fixed = lists::FormatFixed(*d, 3);
        Check(fixed.find(',') == std::string::npos && !fixed.empty(), "fixed text");
        const double rounded = lists::RoundHalfEven(*d);
        Check(std::fabs(rounded - *d) <= 0.5, "rounding moves by half at most");
    }
    if (i64) {
        Check(lists::ParseStrictInt64(lists::FormatInt(*i64)) == i64, "integer text reads back");
    }
    return 0;
}
