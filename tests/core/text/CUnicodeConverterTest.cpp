#include "core/text/CUnicodeConverter.h"

#include "core/screen/ScreenTestSupport.h"

#include <array>
#include <gtest/gtest.h>

namespace qx44 {

using screentest::Bytes;

namespace {

struct ByteClassRow {
    int first;
    int last;
    const char* name;
    std::size_t codesFromFourBytes; // codes that b 80 80 80 decodes into
    bool keepsItsValue;
};

// Every byte value followed by three continuation bytes shows its class: a lead swallows the
// continuation bytes its sequence needs, everything else stands for itself.
TEST(UnicodeConverter, EveryByteValueBelongsToItsClass) {
    const ByteClassRow rows[] = {
        {0x00, 0x7F, "single byte", 4, true},     {0x80, 0xBF, "continuation byte", 4, true},
        {0xC0, 0xDF, "two-byte lead", 3, false},  {0xE0, 0xEF, "three-byte lead", 2, false},
        {0xF0, 0xF7, "four-byte lead", 1, false}, {0xF8, 0xFF, "single byte", 4, true},
    };
    for (const ByteClassRow& row : rows) {
        for (int b = row.first; b <= row.last; ++b) {
            const std::vector<std::uint8_t> input{static_cast<std::uint8_t>(b), 0x80, 0x80, 0x80};
            const std::u16string codes = CUnicodeConverter::DecodeText(input);
            SCOPED_TRACE(std::string(row.name) + " byte " + std::to_string(b));
            EXPECT_EQ(codes.size(), row.codesFromFourBytes);
            if (row.keepsItsValue) {
                EXPECT_EQ(codes, (std::u16string{static_cast<char16_t>(b), 0x80, 0x80, 0x80}));
            }
            // Longer text is tested a word at a time: the byte in every place of two words and
            // of the tail behind them.
            for (std::size_t at = 0; at < 19; ++at) {
                std::vector<std::uint8_t> text(19, 'x');
                text[at] = static_cast<std::uint8_t>(b);
                ASSERT_EQ(CUnicodeConverter::DecodesToItself(text), row.keepsItsValue) << at;
            }
        }
    }
}

struct DecodeRow {
    const char* what;
    std::string_view bytes;
    std::u16string codes;
};

TEST(UnicodeConverter, DecodesHostTextIntoCellCodes) {
    const DecodeRow rows[] = {
        {"plain ASCII", "\x41\x42", u"\x41\x42"},
        {"two-byte sequence", "\xC3\xA9", u"\xE9"},
        {"three-byte sequence", "\xE4\xB8\xAD", u"\x4E2D"},
        {"code page 437 lines without continuation bytes", "\xC4\xC4\xC4", u"\xC4\xC4\xC4"},
        {"lead followed by a lead stays itself", "\xC9\xCD\xBB", u"\xC9\x37B"},
        {"two line bytes that happen to form a sequence", "\xDA\xB3", u"\x6B3"},
        {"sequence cut short by the end", "\xE2\x94", u"\xE2\x94"},
        {"sequence cut short by a plain byte", "\xE2\x94Z", u"\xE2\x94Z"},
        {"code point above U+FFFF keeps its high surrogate", "\xF0\x9F\x98\x80", u"\xD83D"},
        {"overlong two-byte form", "\xC0\x80", u"\xFFFD"},
        {"overlong three-byte form", "\xE0\x80\x80", u"\xFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\xFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\xFFFD"},
        {"four-byte lead that UTF-8 never uses", "\xF5\x80\x80\x80", u"\xFFFD"},
        {"bytes from 0xF8 up are single bytes", "\xF8\x80\xFF", u"\xF8\x80\xFF"},
        {"stray continuation byte",
         "\xA9"
         "A",
         u"\xA9"
         "A"},
        {"a NUL byte is a character like any other", std::string_view("A\0B", 3),
         std::u16string(u"A\0B", 3)},
    };
    for (const DecodeRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(CUnicodeConverter::DecodeText(Bytes(row.bytes)), row.codes);
    }
}

TEST(UnicodeConverter, DecodeTextStopsWhenTheOutputIsFull) {
    std::array<char16_t, 2> out{};
    EXPECT_EQ(CUnicodeConverter::DecodeText(out, Bytes("\xC3\xA9xyz")), 2u);
    EXPECT_EQ(out[0], 0xE9);
    EXPECT_EQ(out[1], u'x');
    EXPECT_EQ(CUnicodeConverter::DecodeText(out, {}), 0u);

    // A sequence that ends exactly at the end of the input, and one the full output leaves out.
    std::array<char16_t, 3> three{};
    EXPECT_EQ(CUnicodeConverter::DecodeText(three, Bytes("ab\xC3\xA9")), 3u);
    EXPECT_EQ(three[2], 0xE9);
    EXPECT_EQ(CUnicodeConverter::DecodeText(three, Bytes("abc\xC3\xA9")), 3u);
    EXPECT_EQ(three[2], u'c');
}

TEST(UnicodeConverter, Utf8ToWideConvertsStrictlyAndEndsAtNul) {
    const DecodeRow rows[] = {
        {"empty text", "", u""},
        {"text ends at its first NUL", std::string_view("ab\0cd", 5), u"ab"},
        {"both surrogates above U+FFFF", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
        {"each byte of an overlong form replaced", "\xC0\x80", u"\xFFFD\xFFFD"},
        {"each byte of an encoded surrogate replaced", "\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},
        {"a truncated sequence replaced once", "\xE2\x94", u"\xFFFD"},
        {"decoding resumes after a truncated sequence",
         "\xE2\x94"
         "A\xC3\xA9",
         u"\xFFFD"
         "A\xE9"},
        {"mixed text",
         "Stra\xC3\x9F"
         "e \xE4\xB8\xAD",
         u"Stra\xDF"
         "e \x4E2D"},
    };
    for (const DecodeRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(CUnicodeConverter::Utf8ToWide(row.bytes), row.codes);
        EXPECT_EQ(CUnicodeConverter::Utf8ToWide(Bytes(row.bytes)), row.codes);
    }
}

TEST(UnicodeConverter, DecodeSequenceGivesTheFirstUnitOrZero) {
    EXPECT_EQ(CUnicodeConverter::DecodeSequence(Bytes("\xE4\xB8\xAD")), 0x4E2D);
    EXPECT_EQ(CUnicodeConverter::DecodeSequence(Bytes("\xF0\x9F\x98\x80")), 0xD83D);
    EXPECT_EQ(CUnicodeConverter::DecodeSequence(Bytes("\xC0\x80")), 0xFFFD);
    EXPECT_EQ(CUnicodeConverter::DecodeSequence(Bytes("")), 0);
    EXPECT_EQ(CUnicodeConverter::DecodeSequence(Bytes(std::string_view("\0A", 2))), 0);
}

} // namespace

} // namespace qx44
