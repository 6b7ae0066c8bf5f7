#include "menu/Cp1252.h"

#include <gtest/gtest.h>

namespace {

using menu::Cp1252CanEncode;
using menu::Cp1252CanEncodeUtf8;
using menu::Cp1252ToChar;
using menu::Cp1252ToUtf8;
using menu::Utf8ToCp1252;

TEST(Cp1252, EveryByteValueSurvivesARoundTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << "byte " << b;
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Cp1252, BytesStandForTheirCodePageCharacters) {
    struct Case {
        unsigned char byte;
        char32_t character;
    };
    const Case cases[] = {
        {0x00, 0x0000}, {0x41, U'A'},   {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081}, {0x8A, 0x0160},
        {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x92, 0x2019}, {0x99, 0x2122}, {0x9D, 0x009D},
        {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cp1252ToChar(c.byte), c.character) << "byte " << int{c.byte};
    }
    EXPECT_EQ(Cp1252ToUtf8("Zo\xEB \x80"), "Zo\xC3\xAB \xE2\x82\xAC");
}

TEST(Cp1252, CharactersOutsideTheCodePageAreRefusedAndWrittenAsQuestionMarks) {
    // U+0080 is not in the code page: byte 0x80 is the euro sign.
    for (const char32_t c :
         {char32_t{0x0080}, char32_t{0x009F}, char32_t{0x0100}, char32_t{0x4E2D}, char32_t{0x1F600}}) {
        EXPECT_FALSE(Cp1252CanEncode(c)) << std::hex << static_cast<uint32_t>(c);
    }
    EXPECT_TRUE(Cp1252CanEncode(0x20AC));
    EXPECT_EQ(Utf8ToCp1252("a\xC4\x80"
                           "b"),
              "a?b");                                  // U+0100
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80"), "?");  // U+1F600
    EXPECT_TRUE(Cp1252CanEncodeUtf8("Zo\xC3\xAB \xE2\x82\xAC"));
    EXPECT_FALSE(Cp1252CanEncodeUtf8("\xE4\xB8\xAD"));
}

TEST(Cp1252, BrokenUtf8IsNeverEncodedAsAnotherCharacter) {
    struct Case {
        const char* utf8;
        const char* bytes;
    };
    const Case cases[] = {
        {"\xC3", "?"},          // cut short
        {"\xC0\x81", "?"},      // overlong form of U+0001
        {"\x80x", "?x"},        // stray continuation byte
        {"\xED\xA0\x80", "?"},  // a surrogate
        {"\xFF", "?"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToCp1252(c.utf8), c.bytes);
        EXPECT_FALSE(Cp1252CanEncodeUtf8(c.utf8));
    }
}

}  // namespace
