#include "lists/cp1252.h"

#include <string>

#include <gtest/gtest.h>

namespace zimbalo::lists {
namespace {

TEST(Cp1252, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
        const auto cp = Cp1252ToUnicode(static_cast<unsigned char>(b));
        const auto back = UnicodeToCp1252(cp);
        ASSERT_TRUE(back.has_value()) << "byte " << b;
        EXPECT_EQ(*back, b);
    }
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Cp1252, KnownCharacters) {
    // Code page 1252 as published by its maker (bestfit1252.txt).
    EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');  // euro sign
    EXPECT_EQ(Cp1252ToUnicode(0x8A), U'\u0160');
    EXPECT_EQ(Cp1252ToUnicode(0x96), U'\u2013');  // en dash
    EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(Cp1252ToUnicode(0x81), U'\u0081');  // unassigned: kept as the C1 control
    EXPECT_EQ(Cp1252ToUnicode(0xB0), U'\u00B0');
    EXPECT_EQ(Cp1252ToUtf8("\xB0\xE4\xE9"), "°äé");
    EXPECT_EQ(Utf8ToCp1252("Länge 7°30' – €"),
              "L\xE4nge 7\xB0"
              "30' \x96 \x80");
}

TEST(Cp1252, UnmappableAndMalformedInput) {
    EXPECT_EQ(Utf8ToCp1252("Ω"), "?");               // not in the code page
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");            // truncated sequence
    EXPECT_EQ(Utf8ToCp1252("a\xC0\xB0z"), "a??z");   // overlong form of "0"
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");  // surrogate
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80!", '_'), "_!");
}

}  // namespace
}  // namespace zimbalo::lists
