#include "platform/TextConv.h"

#include <gtest/gtest.h>

namespace tresorix {
namespace {

std::wstring units(std::initializer_list<unsigned> list)
{
    std::wstring out;
    for (unsigned u : list)
        out += wchar_t(u);
    return out;
}

// Every sequence of 16-bit units is a possible file name and must come back
// as it went in, an unpaired surrogate too.
TEST(TextConv, NamesRoundTripEvenWithUnpairedSurrogates)
{
    const std::wstring names[] = {
        units({'a', 0xE4, 0x3A9, 0x65E5}),
        units({0xD83D, 0xDE00}),                 // a pair: one four-byte character
        units({'x', 0xD800, '.', 't', 'x', 't'}), // high alone
        units({0xDC00}),                          // low alone
        units({0xDBFF, 0xDBFF, 0xDFFF}),          // high alone, then a pair
        units({0xDFFF, 0xD800}),                  // low before high: no pair
        units({0xFFFD, 0xFFFF, 0x7FF, 0x800}),
    };
    for (const std::wstring& name : names)
        EXPECT_EQ(Widen(Narrow(name)), name);

    EXPECT_EQ(Narrow(units({0xD83D, 0xDE00})), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Narrow(units({'x', 0xD800})), "x\xED\xA0\x80");
    EXPECT_EQ(Narrow(units({0xDC00, 0xE4})), "\xED\xB0\x80\xC3\xA4");
    // Two names that differ only in their unpaired unit stay two names.
    EXPECT_NE(Narrow(units({0xD800})), Narrow(units({0xD801})));
    EXPECT_NE(Narrow(units({0xD800})), Narrow(units({0xFFFD})));
}

TEST(TextConv, BytesThatFormNoCharacterBecomeReplacementCharacters)
{
    EXPECT_EQ(Widen("M\xC3\xA4rz \xE6\x97\xA5"), units({'M', 0xE4, 'r', 'z', ' ', 0x65E5}));
    EXPECT_EQ(Widen("\xF4\x8F\xBF\xBF"), units({0xDBFF, 0xDFFF}));
    // A lone continuation, an overlong form, beyond U+10FFFF, cut short.
    EXPECT_EQ(Widen("a\x80" "b"), units({'a', 0xFFFD, 'b'}));
    EXPECT_EQ(Widen("\xC0\xAF"), units({0xFFFD, 0xFFFD}));
    EXPECT_EQ(Widen("\xE0\x80\xAF"), units({0xFFFD, 0xFFFD, 0xFFFD}));
    EXPECT_EQ(Widen("\xF4\x90\x80\x80"), units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}));
    EXPECT_EQ(Widen("\xE6\x97"), units({0xFFFD, 0xFFFD}));
    EXPECT_EQ(Widen(std::string("\0x", 2)), units({0, 'x'}));
}

}  // namespace
}  // namespace tresorix
