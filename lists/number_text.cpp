#include "lists/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace zimbalo::lists {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string FormatFixed(double value, int decimals) {
    if (decimals < 0) {
        decimals = 0;
    } else if (decimals > 17) {
        decimals = 17;
    }
    // Large enough for any double in fixed notation (up to 309 integer digits) and 17 decimals.
    char buf[400];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string text(buf, res.ptr);
    if (!text.empty() && text.front() == '-'
        && text.find_first_not_of("0.", 1) == std::string::npos) {
        text.erase(0, 1);  // "-0.00" reads as a negative value that is not there
    }
    return text;
}

std::string FormatShortest(double value) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string FormatInt(std::int64_t value) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

double RoundHalfEven(double value) {
    // Halves to even without relying on the floating-point environment's rounding mode.
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff > 0.5) {
        return lower + 1.0;
    }
    if (diff < 0.5) {
        return lower == 0.0 ? 0.0 : lower;
    }
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::string AlignRight(std::string_view text, std::size_t width) {
    if (text.size() >= width) {
        return std::string(text.substr(text.size() - width));
    }
    std::string out(width - text.size(), ' ');
    out += text;
    return out;
}

std::string AlignLeft(std::string_view text, std::size_t width) {
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::optional<std::int64_t> ParseStrictInt64(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    for (const char c : digits) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
    }
    // Accumulate as a negative number so that the smallest 64-bit value is representable.
    std::int64_t value = 0;
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    for (const char c : digits) {
        const int d = c - '0';
        if (value < kMin / 10 || (value == kMin / 10 && d > -(kMin % 10))) {
            return std::nullopt;
        }
        value = value * 10 - d;
    }
    if (!negative) {
        if (value == kMin) {
            return std::nullopt;
        }
        value = -value;
    }
    return value;
}

std::optional<std::int32_t> ParseStrictInt32(std::string_view text) {
    const auto v = ParseStrictInt64(text);
    if (!v || *v < std::numeric_limits<std::int32_t>::min()
        || *v > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*v);
}

std::optional<double> ParseStrictDecimal(std::string_view text) {
    std::string_view body = text;
    if (!body.empty() && body.front() == '+') {
        body.remove_prefix(1);  // from_chars takes a minus sign only
        if (!body.empty() && body.front() == '-') {
            return std::nullopt;
        }
    }
    // Validate the shape first: from_chars would also take "inf", "nan" and hexadecimal forms.
    std::size_t i = 0;
    if (i < body.size() && body[i] == '-') {
        ++i;
    }
    std::size_t mantissaDigits = 0;
    bool point = false;
    for (; i < body.size(); ++i) {
        if (IsDigit(body[i])) {
            ++mantissaDigits;
        } else if (body[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) {
        return std::nullopt;
    }
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
            ++i;
        }
        std::size_t exponentDigits = 0;
        for (; i < body.size() && IsDigit(body[i]); ++i) {
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != body.size()) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto res = std::from_chars(body.data(), body.data() + body.size(), value);
    if (res.ec != std::errc() || res.ptr != body.data() + body.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace zimbalo::lists
