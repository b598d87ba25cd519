#include "CipherError.h"
#include "ModGSNEn.h"
#include "QuestionText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

namespace {

// RFC 1321 section 3.3 (starting values) and 3.4 (T[i] = floor(4294967296 * abs(sin(i)))).
constexpr ModGSNEn::DigestConstants kRfc1321{
    {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476},
    {
        0xD76AA478, 0xE8C7B756, 0x242070DB, 0xC1BDCEEE, 0xF57C0FAF, 0x4787C62A, 0xA8304613, 0xFD469501,
        0x698098D8, 0x8B44F7AF, 0xFFFF5BB1, 0x895CD7BE, 0x6B901122, 0xFD987193, 0xA679438E, 0x49B40821,
        0xF61E2562, 0xC040B340, 0x265E5A51, 0xE9B6C7AA, 0xD62F105D, 0x02441453, 0xD8A1E681, 0xE7D3FBC8,
        0x21E1CDE6, 0xC33707D6, 0xF4D50D87, 0x455A14ED, 0xA9E3E905, 0xFCEFA3F8, 0x676F02D9, 0x8D2A4C8A,
        0xFFFA3942, 0x8771F681, 0x6D9D6122, 0xFDE5380C, 0xA4BEEA44, 0x4BDECFA9, 0xF6BB4B60, 0xBEBFBC70,
        0x289B7EC6, 0xEAA127FA, 0xD4EF3085, 0x04881D05, 0xD9D4D039, 0xE6DB99E5, 0x1FA27CF8, 0xC4AC5665,
        0xF4292244, 0x432AFF97, 0xAB9423A7, 0xFC93A039, 0x655B59C3, 0x8F0CCC92, 0xFFEFF47D, 0x85845DD1,
        0x6FA87E4F, 0xFE2CE6E0, 0xA3014314, 0x4E0811A1, 0xF7537E82, 0xBD3AF235, 0x2AD7D2BB, 0xEB86D391,
    },
};

class WithRfcConstants : public ::testing::Test {
protected:
    void SetUp() override { ModGSNEn::UseDigestConstantsForTesting(&kRfc1321); }
    void TearDown() override { ModGSNEn::UseDigestConstantsForTesting(nullptr); }
};

TEST_F(WithRfcConstants, Rfc1321TestSuite)
{
    // RFC 1321 appendix A.5, in upper case.
    const std::pair<std::u16string, std::u16string> suite[] = {
        {u"", u"D41D8CD98F00B204E9800998ECF8427E"},
        {u"a", u"0CC175B9C0F1B6A831C399E269772661"},
        {u"abc", u"900150983CD24FB0D6963F7D28E17F72"},
        {u"message digest", u"F96B697D7CB7938D525A2F31AAF161D0"},
        {u"abcdefghijklmnopqrstuvwxyz", u"C3FCD3D76192E4007DFB496CCA67E13B"},
        {u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", u"D174AB98D277D9F5A5611C2C9F419D9F"},
        {u"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         u"57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const auto& [text, digest] : suite) {
        EXPECT_EQ(ModGSNEn::DigestString(text), digest);
    }
}

TEST_F(WithRfcConstants, PaddingAtBlockBoundaries)
{
    // 55 bytes fit one block with padding and length; 56, 63 and 64 need two; 120 needs three.
    // Expected values: MD5 of the first n characters of "0123456789" repeated, from Python's hashlib.
    const std::u16string pattern = [] {
        std::u16string s;
        while (s.size() < 130) {
            s += u"0123456789";
        }
        return s;
    }();
    const std::pair<std::size_t, std::u16string> cases[] = {
        {55, u"6E7A4FC92EB1C3F6E652425BCC8D44B5"},  {56, u"8AF270B2847610E742B0791B53648C09"},
        {63, u"C5E256437E758092DBFE06283E489019"},  {64, u"7F7BFD348709DEEAACE19E3F535F8C54"},
        {120, u"71877A6051C58E0E9246BABC177CA5F2"},
    };
    for (const auto& [length, digest] : cases) {
        EXPECT_EQ(ModGSNEn::DigestString(pattern.substr(0, length)), digest) << length << " bytes";
    }
}

TEST_F(WithRfcConstants, TextIsDigestedAsCodePage936Bytes)
{
    // MD5 of the bytes B3 B5 C9 ED (车身 in code page 936), not of the UTF-16 form (51B773AF...).
    EXPECT_EQ(ModGSNEn::DigestString(u"车身"), u"E26E59AC95B52E0ACFE902FFAAB664FD");
}

TEST(DigestSystemConstants, SharedAndOwnConstantsAsDeclared)
{
    const auto& own = ModGSNEn::SystemDigestConstants();
    const std::set<int> sharedSteps = {2,  3,  6,  8,  9,  11, 12, 13, 14, 15, 18,
                                       23, 24, 25, 29, 31, 35, 39, 50, 56, 59, 62};
    int ownSteps = 0;
    for (int step = 1; step <= 64; ++step) {
        const auto i = static_cast<std::size_t>(step - 1);
        if (sharedSteps.count(step) != 0) {
            EXPECT_EQ(own.Step[i], kRfc1321.Step[i]) << "step " << step;
        } else {
            EXPECT_NE(own.Step[i], kRfc1321.Step[i]) << "step " << step;
            ++ownSteps;
        }
    }
    EXPECT_EQ(ownSteps, 42);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(std::count(kRfc1321.Start.begin(), kRfc1321.Start.end(), own.Start[i]), 0);
    }
}

TEST(DigestSystemConstants, DigestsAreFixedForever)
{
    // Every question bank depends on these: a change of any constant shows here first. Expected values
    // from a separate MD5-structured script fed with the same constants.
    EXPECT_EQ(ModGSNEn::DigestString(u""), u"B9E084D2DBD17CE76938DE99AC4DF8D4");
    EXPECT_EQ(ModGSNEn::DigestString(kQuestionBankPassword), u"45A630DE453F2B773C5824F3CDCB7D4A");
    EXPECT_EQ(ModGSNEn::DigestString(u"无"), ModGSNEn::DigestString(u"无")) << "calls are independent";
    EXPECT_NE(ModGSNEn::DigestString(u"a"), ModGSNEn::DigestString(u"b"));
}

TEST(DigestLimits, InputOver32767BytesOverflows)
{
    const std::u16string fits(32767, u'x');
    EXPECT_EQ(ModGSNEn::DigestString(fits).size(), 32u);
    try {
        ModGSNEn::DigestString(fits + u"x");
        ADD_FAILURE() << "no overflow";
    } catch (const CipherError& e) {
        EXPECT_EQ(e.Number(), 6);
        EXPECT_EQ(e.Text(), "Overflow");
    }
    // 16 384 two-byte characters are 32 768 bytes.
    EXPECT_THROW(ModGSNEn::DigestString(std::u16string(16384, u'无')), CipherError);
}

} // namespace
