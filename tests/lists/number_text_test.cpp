#include "lists/number_text.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace zimbalo::lists {
namespace {

TEST(NumberText, FixedPointTexts) {
    EXPECT_EQ(FormatFixed(-12.346, 2), "-12.35");
    EXPECT_EQ(FormatFixed(72.0, 1), "72.0");
    EXPECT_EQ(FormatFixed(0.5, 0), "0");  // exact half: to even
    EXPECT_EQ(FormatFixed(1.5, 0), "2");
    EXPECT_EQ(FormatFixed(-0.004, 2), "0.00");  // no "-0.00"
    EXPECT_EQ(FormatFixed(-0.006, 2), "-0.01");
    EXPECT_EQ(FormatFixed(1e20, 1), "100000000000000000000.0");
}

TEST(NumberText, IgnoresTheLocale) {
    // A locale with a decimal comma, when the system has one.
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    const std::string fixed = FormatFixed(3.25, 2);
    const auto parsed = ParseStrictDecimal("3.25");
    const auto refused = ParseStrictDecimal("3,25");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(fixed, "3.25");
    EXPECT_EQ(parsed, 3.25);
    EXPECT_FALSE(refused.has_value());
    if (chosen == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
}

TEST(NumberText, RoundHalfEven) {
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(-0.5), 0.0);
    EXPECT_EQ(RoundHalfEven(-0.4), 0.0);
    EXPECT_FALSE(std::signbit(RoundHalfEven(-0.4)));
    EXPECT_EQ(RoundHalfEven(2853.498), 2853.0);
    EXPECT_EQ(RoundHalfEven(-7.6), -8.0);
}

TEST(NumberText, Alignment) {
    EXPECT_EQ(AlignRight("7", 3), "  7");
    EXPECT_EQ(AlignRight("00:45:12", 7), "0:45:12");  // cut to the last characters
    EXPECT_EQ(AlignLeft("Frankfurt am Main", 10), "Frankfurt ");
    EXPECT_EQ(AlignLeft("Bern", 6), "Bern  ");
    EXPECT_EQ(TrimBlanks("  01:30:00 "), "01:30:00");
    EXPECT_EQ(TrimBlanks("   "), "");
}

TEST(NumberText, StrictIntegers) {
    EXPECT_EQ(ParseStrictInt64("4750"), 4750);
    EXPECT_EQ(ParseStrictInt64("-3350"), -3350);
    EXPECT_EQ(ParseStrictInt64("+12"), 12);
    EXPECT_EQ(ParseStrictInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(ParseStrictInt64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    for (const char* bad : {"", "-", "+", " 12", "12 ", "1.0", "1e3", "0x10", "12a", "--1",
                            "9223372036854775808", "-9223372036854775809"}) {
        EXPECT_FALSE(ParseStrictInt64(bad).has_value()) << '"' << bad << '"';
    }
    EXPECT_EQ(ParseStrictInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseStrictInt32("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_FALSE(ParseStrictInt32("2147483648").has_value());
    EXPECT_FALSE(ParseStrictInt32("-2147483649").has_value());
}

TEST(NumberText, StrictDecimals) {
    EXPECT_EQ(ParseStrictDecimal("47.5583"), 47.5583);
    EXPECT_EQ(ParseStrictDecimal("-7.5"), -7.5);
    EXPECT_EQ(ParseStrictDecimal("+7.5"), 7.5);
    EXPECT_EQ(ParseStrictDecimal("254"), 254.0);
    EXPECT_EQ(ParseStrictDecimal(".5"), 0.5);
    EXPECT_EQ(ParseStrictDecimal("5."), 5.0);
    EXPECT_EQ(ParseStrictDecimal("2.5e2"), 250.0);
    for (const char* bad : {"", ".", "-", "47,5", " 1", "1 ", "1.2.3", "inf", "nan", "0x1p3", "1e",
                            "1e+", "+-1", "1'000", "1e999"}) {
        EXPECT_FALSE(ParseStrictDecimal(bad).has_value()) << '"' << bad << '"';
    }
}

}  // namespace
}  // namespace zimbalo::lists
