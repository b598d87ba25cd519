#include "QuestionText.h"
#include "CipherError.h"
#include "CipherTestSupport.h"
#include "CodePage.h"

#include <gtest/gtest.h>

using qkmciphertest::CapturedMessages;
using qkmciphertest::Counting;

namespace {

bool IsUpperHex(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

TEST(BytesToHex, GroupsOfThirtyTwoBytes)
{
    const std::u16string one = BytesToHex(Counting(32), 32, 32);
    EXPECT_EQ(one.size(), 64u);
    EXPECT_EQ(one.substr(0, 8), u"00010203");
    EXPECT_EQ(one.substr(56), u"1C1D1E1F");

    const std::u16string two = BytesToHex(Counting(64, 0xC0), 64, 32);
    ASSERT_EQ(two.size(), 130u);
    EXPECT_EQ(two.substr(64, 2), u"  ");
    EXPECT_EQ(two.substr(62, 6), u"DF  E0");
    EXPECT_TRUE(std::all_of(two.begin(), two.begin() + 64, IsUpperHex));

    EXPECT_EQ(BytesToHex(ByteArray{0x00, 0xAB}, 2, 32), u"00AB");
    EXPECT_EQ(BytesToHex(ByteArray{1, 2, 3, 4, 5}, 4, 32), u"01020304") << "only `count` bytes";
}

TEST(BytesToHex, OddArguments)
{
    EXPECT_EQ(BytesToHex(ByteArray(Counting(32).Bytes(), 1), 32, 32), u"");
    EXPECT_EQ(BytesToHex(Counting(4), 0, 32), u"");
    EXPECT_EQ(BytesToHex(ByteArray(), 0, 32), u"");
    try {
        BytesToHex(Counting(4), 5, 32);
        ADD_FAILURE() << "read past the end of the array";
    } catch (const CipherError& e) {
        EXPECT_EQ(e.Number(), 9);
    }
    EXPECT_THROW(BytesToHex(Counting(4), 4, 0), CipherError);
}

TEST(HexToBytes, PairsDigitsAndSkipsEverythingElse)
{
    ByteArray bytes{9, 9, 9};
    EXPECT_EQ(HexToBytes(u"0a Ff", bytes), 2);
    EXPECT_EQ(bytes, (ByteArray{0x0A, 0xFF}));
    EXPECT_EQ(HexToBytes(u"ABC", bytes), 1) << "the lone C is dropped";
    EXPECT_EQ(bytes, (ByteArray{0xAB}));
    EXPECT_EQ(HexToBytes(u"A B", bytes), 1);
    EXPECT_EQ(bytes, (ByteArray{0xAB}));
    EXPECT_EQ(HexToBytes(u"G1", bytes), 0);
    EXPECT_TRUE(bytes.empty());
    bytes = ByteArray{1};
    EXPECT_EQ(HexToBytes(u"", bytes), 0);
    EXPECT_TRUE(bytes.empty());
    bytes = ByteArray{1};
    EXPECT_EQ(HexToBytes(u"F", bytes), 0);
    EXPECT_TRUE(bytes.empty());
}

TEST(HexToBytes, CharactersCountByTheirLowEightBits)
{
    ByteArray bytes;
    // U+0141 has the low byte 0x41 ("A"); U+4E30 has 0x30 ("0"); U+0120 has 0x20 (a space, skipped).
    EXPECT_EQ(HexToBytes(u"\u0141\u4E30\u0120b5", bytes), 2);
    EXPECT_EQ(bytes, (ByteArray{0xA0, 0xB5}));
}

TEST(HexToBytes, ReadsBackWhatBytesToHexWrote)
{
    const ByteArray original = Counting(64, 0x7F);
    ByteArray back;
    EXPECT_EQ(HexToBytes(BytesToHex(original, 64, 32), back), 64);
    EXPECT_EQ(back, original);
    EXPECT_EQ(back.LBound(), 0);
}

TEST(QuestionKey, ThirtyTwoFixedBytes)
{
    const ByteArray key = GetQuestionKey();
    ASSERT_EQ(key.size(), 32u);
    EXPECT_EQ(key.LBound(), 0);
    EXPECT_EQ(GetQuestionKey(), key);
    EXPECT_EQ(std::u16string(kQuestionBankPassword), u"pRKm*4xTv7^3q^");
}

class StoredText : public ::testing::Test {
protected:
    ClQuAK mCipher;
    ByteArray mKey = GetQuestionKey();
};

TEST_F(StoredText, AnswerTextIsOneBlock)
{
    const std::u16string stored = EncipherQuestionText(mCipher, mKey, u"134");
    EXPECT_EQ(stored.size(), 64u);
    EXPECT_TRUE(std::all_of(stored.begin(), stored.end(), IsUpperHex));
    EXPECT_EQ(EncipherQuestionText(mCipher, mKey, u"134"), stored) << "equal texts, equal stored texts";
    EXPECT_NE(EncipherQuestionText(mCipher, mKey, u"13"), stored);

    std::u16string plain;
    ASSERT_TRUE(DecipherQuestionText(mCipher, mKey, stored, plain));
    EXPECT_EQ(plain, u"134" + std::u16string(29, u'\0'));
}

TEST_F(StoredText, StoredFormIsFixedForever)
{
    // Every question bank is enciphered under this key: a change of the key, the cipher or the text
    // form shows here first.
    EXPECT_EQ(BytesToHex(GetQuestionKey(), 32, 32),
              u"5254424F55445957000000000000000000000000000000000000000000000000");
    EXPECT_EQ(EncipherQuestionText(mCipher, mKey, u"134"),
              u"F8D2FA1B65334FE8230EA7D744D5F504A17EEEECA1E3DEB727758553380EB248");
}

TEST_F(StoredText, FortyByteQuestionIsTwoBlocks)
{
    // 20 characters of code page 936, two bytes each.
    const std::u16string question = u"车身修复时应先检查车身的损伤程度和范围吗";
    ASSERT_EQ(CodePage::ToAnsi(question).size(), 40u);
    const std::u16string stored = EncipherQuestionText(mCipher, mKey, question);
    ASSERT_EQ(stored.size(), 130u);
    EXPECT_EQ(stored.substr(64, 2), u"  ");

    std::u16string plain;
    ASSERT_TRUE(DecipherQuestionText(mCipher, mKey, u"  " + stored + u"   ", plain)) << "outer spaces ignored";
    EXPECT_EQ(plain, question + std::u16string(24, u'\0'));
}

TEST_F(StoredText, EmptyAndUnreadableStoredTexts)
{
    EXPECT_EQ(EncipherQuestionText(mCipher, mKey, u""), u"");

    CapturedMessages messages;
    std::u16string plain = u"unchanged";
    EXPECT_FALSE(DecipherQuestionText(mCipher, mKey, u"", plain));
    EXPECT_FALSE(DecipherQuestionText(mCipher, mKey, u"    ", plain));
    EXPECT_FALSE(DecipherQuestionText(mCipher, mKey, u"G1", plain));
    EXPECT_TRUE(messages.Texts().empty()) << "nothing to decipher is not an error of the cipher";

    const std::u16string stored = EncipherQuestionText(mCipher, mKey, u"2");
    EXPECT_FALSE(DecipherQuestionText(mCipher, mKey, stored + u"00", plain)) << "33 bytes";
    EXPECT_EQ(plain, u"unchanged");
    EXPECT_EQ(messages.Texts(), std::vector<std::u16string>{u"ciphertext size not a multiple of block size"});
}

TEST_F(StoredText, CipherIsKeyedOnEveryCall)
{
    mCipher.SetCipherKey(Counting(16), 128, 128);
    const std::u16string stored = EncipherQuestionText(mCipher, mKey, u"3");
    mCipher.SetCipherKey(Counting(16), 128, 128);
    std::u16string plain;
    ASSERT_TRUE(DecipherQuestionText(mCipher, mKey, stored, plain));
    EXPECT_EQ(plain.substr(0, 2), std::u16string(u"3\0", 2));
}

} // namespace
