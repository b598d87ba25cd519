#include "CodePage.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, TradeTextsRoundTripThroughCp936)
{
    for (const std::u16string& text : {std::u16string(u"钣金（车身修复）技术人员"),
                                       std::u16string(u"涂漆（车身涂装）技术人员"), std::u16string(u"无")}) {
        const auto bytes = CodePage::ToAnsi(text);
        EXPECT_EQ(bytes.size(), text.size() * 2) << "every CJK character and full-width bracket is two bytes";
        EXPECT_EQ(CodePage::FromAnsi(bytes), text);
    }
}

TEST(CodePage, KnownBytesAndAsciiPassThrough)
{
    // GB2312 code of 无 is CE DE; ASCII stays one byte.
    EXPECT_EQ(CodePage::ToAnsi(u"无A1"), (std::vector<std::uint8_t>{0xCE, 0xDE, 'A', '1'}));
    EXPECT_EQ(CodePage::FromAnsi(std::string_view("134\0\0", 5)), std::u16string(u"134\0\0", 5));
}

TEST(CodePage, UnconvertibleInputIsReplacedNotDropped)
{
    EXPECT_EQ(CodePage::ToAnsiString(u"a\u0E01b"), "a?b"); // Thai letter: not in code page 936
    EXPECT_EQ(CodePage::FromAnsi(std::string_view("a\xFF"
                                                  "b",
                                                  3)),
              u"a?b");
    EXPECT_EQ(CodePage::FromAnsi(std::string_view("a\xCE", 2)), u"a?"); // truncated double-byte character
}

TEST(CodePage, Utf8RoundTrip)
{
    EXPECT_EQ(CodePage::ToUtf8(CodePage::FromUtf8("车身修复 F")), "车身修复 F");
}

} // namespace

namespace {

TEST(CodePage, ReusedConvertersCarryNothingFromOneTextToTheNext)
{
    // A text cut inside a double-byte character must not leave its first byte waiting for the next text.
    EXPECT_EQ(CodePage::FromAnsi(std::string_view("a\xCE", 2)), u"a?");
    EXPECT_EQ(CodePage::FromAnsi(std::string_view("A", 1)), u"A"); // CE 41 would be one character
    EXPECT_EQ(CodePage::FromAnsi(std::string_view("\xCE\xDE", 2)), u"无");
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(CodePage::ToAnsiString(u"车身"), "\xB3\xB5\xC9\xED");
    }
}

} // namespace
