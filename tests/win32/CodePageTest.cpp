#include "platform/win32/CodePage.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace win32;

TEST(CodePage, IsUtf8UntilATestSwitchesItAndComesBackAfterwards) {
    EXPECT_EQ(GetACP(), CP_UTF8);
    {
        ScopedCodePage sjis(CP_SHIFT_JIS);
        EXPECT_EQ(GetACP(), CP_SHIFT_JIS);
        EXPECT_TRUE(IsDBCSCodePage());
    }
    EXPECT_EQ(GetACP(), CP_UTF8);
    EXPECT_FALSE(IsDBCSCodePage());
    EXPECT_THROW(ScopedCodePage(1252), std::invalid_argument);
    EXPECT_EQ(GetACP(), CP_UTF8);
}

TEST(CodePage, ConvertsBetweenShiftJisUtf16AndUtf8) {
    struct Case {
        std::string utf8;
        std::string sjis;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"abc", "abc", u"abc"},
        {"\u3000", "\x81\x40", u"\u3000"},
        {"表示", "\x95\x5c\x8e\xa6", u"表示"},  // 表's trail byte is a backslash
        {"ｱ", "\xb1", u"ｱ"},                    // half-width katakana is one byte
        {"", "", u""},
    };
    ScopedCodePage sjis(CP_SHIFT_JIS);
    for (const Case& c : cases) {
        EXPECT_EQ(AnsiToUtf16(c.sjis), c.utf16) << c.utf8;
        EXPECT_EQ(Utf16ToAnsi(c.utf16), c.sjis) << c.utf8;
        EXPECT_EQ(Utf8ToAnsi(c.utf8), c.sjis) << c.utf8;
        EXPECT_EQ(AnsiToUtf8(c.sjis), c.utf8) << c.utf8;
    }
}

TEST(CodePage, NeverFailsOnBytesOrCharactersTheCodePageCannotHold) {
    {
        ScopedCodePage sjis(CP_SHIFT_JIS);
        EXPECT_EQ(AnsiToUtf16("a\x81"), u"a\uFFFD");        // lead byte without its trail byte
        EXPECT_EQ(Utf16ToAnsi(u"a\u00e9b"), "a?b");           // é has no Shift-JIS form
        EXPECT_EQ(Utf16ToAnsi(u"a\U0001F600b"), "a?b");       // one '?' for a surrogate pair
    }
    EXPECT_EQ(AnsiToUtf16("a\xff" "b"), u"a\uFFFDb");
}

TEST(CodePage, KnowsLeadBytesOnlyInTheDoubleByteCodePage) {
    EXPECT_FALSE(IsDBCSLeadByte(0x81));
    ScopedCodePage sjis(CP_SHIFT_JIS);
    for (unsigned b : {0x81u, 0x9Fu, 0xE0u, 0xFCu}) EXPECT_TRUE(IsDBCSLeadByte(b)) << b;
    for (unsigned b : {0x40u, 0x5Cu, 0x80u, 0xA0u, 0xB1u, 0xDFu, 0xFDu}) {
        EXPECT_FALSE(IsDBCSLeadByte(b)) << b;
    }
}
