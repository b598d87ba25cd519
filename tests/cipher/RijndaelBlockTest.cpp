#include "CipherError.h"
#include "CipherTestSupport.h"
#include "ClQuAK.h"

#include <gtest/gtest.h>
#include <mcrypt.h>

#include <random>
#include <string>

using qkmciphertest::Counting;
using qkmciphertest::FromHex;

namespace {

struct Sizes {
    int BlockBits;
    int KeyBits;
};

void Encrypt(const ClQuAK& cipher, int blockBits, const ByteArray& in, ByteArray& out, int p, int q)
{
    switch (blockBits) {
    case 128:
        cipher.BlockEncrypt(in, out, p, q);
        break;
    case 192:
        cipher.Block192Encrypt(in, out, p, q);
        break;
    default:
        cipher.Block256Encrypt(in, out, p, q);
        break;
    }
}

void Decrypt(const ClQuAK& cipher, int blockBits, ByteArray& out, const ByteArray& in, int p, int q)
{
    switch (blockBits) {
    case 128:
        cipher.BlockDecrypt(out, in, p, q);
        break;
    case 192:
        cipher.Block192Decrypt(out, in, p, q);
        break;
    default:
        cipher.Block256Decrypt(out, in, p, q);
        break;
    }
}

// FIPS-197 Appendix C: plaintext 00112233..FF, keys 000102..., 128-bit block.
TEST(RijndaelKnownAnswers, Fips197AppendixC)
{
    const ByteArray plain = FromHex("00112233445566778899aabbccddeeff");
    const struct {
        int KeyBits;
        const char* Expected;
    } vectors[] = {
        {128, "69c4e0d86a7b0430d8cdb78070b4c55a"}, // C.1
        {192, "dda97ca4864cdfe06eaf70a0ec0d7191"}, // C.2
        {256, "8ea2b7ca516745bfeafc49904b496089"}, // C.3
    };
    ClQuAK cipher;
    for (const auto& v : vectors) {
        SCOPED_TRACE(v.KeyBits);
        ASSERT_EQ(cipher.SetCipherKey(Counting(static_cast<std::size_t>(v.KeyBits / 8)), v.KeyBits, 128), 0);
        ByteArray enciphered(16);
        cipher.BlockEncrypt(plain, enciphered, 0, 0);
        EXPECT_EQ(enciphered, FromHex(v.Expected));
        ByteArray deciphered(16);
        cipher.BlockDecrypt(deciphered, enciphered, 0, 0);
        EXPECT_EQ(deciphered, plain);
    }
}

// The independent reference is Debian's libmcrypt, linked into this test only; its algorithms
// "rijndael-128/192/256" are named by block size and take the key size from the key's length.
class McryptRijndael {
public:
    McryptRijndael(int blockBits, const ByteArray& key)
    {
        const std::string name = "rijndael-" + std::to_string(blockBits);
        mModule = mcrypt_module_open(const_cast<char*>(name.c_str()), nullptr, const_cast<char*>("ecb"), nullptr);
        if (mModule == MCRYPT_FAILED) {
            throw std::runtime_error("libmcrypt has no " + name);
        }
        ByteArray keyCopy = key;
        if (mcrypt_generic_init(mModule, keyCopy.data(), static_cast<int>(keyCopy.size()), nullptr) < 0) {
            mcrypt_module_close(mModule);
            throw std::runtime_error("libmcrypt refused the key");
        }
    }
    ~McryptRijndael()
    {
        mcrypt_generic_deinit(mModule);
        mcrypt_module_close(mModule);
    }
    McryptRijndael(const McryptRijndael&) = delete;
    McryptRijndael& operator=(const McryptRijndael&) = delete;

    ByteArray Encrypt(ByteArray bytes)
    {
        EXPECT_EQ(mcrypt_generic(mModule, bytes.data(), static_cast<int>(bytes.size())), 0);
        return bytes;
    }

private:
    MCRYPT mModule;
};

class RijndaelAllSizes : public ::testing::TestWithParam<Sizes> {};

TEST_P(RijndaelAllSizes, AgreesWithIndependentImplementationAndRoundTrips)
{
    const auto [blockBits, keyBits] = GetParam();
    const auto bs = static_cast<std::size_t>(blockBits / 8);
    std::mt19937 random(static_cast<unsigned>(blockBits * 1000 + keyBits));
    ClQuAK cipher;
    for (int trial = 0; trial < 20; ++trial) {
        ByteArray key(static_cast<std::size_t>(keyBits / 8));
        ByteArray plain(bs * 3);
        for (auto& b : key) {
            b = static_cast<std::uint8_t>(random());
        }
        for (auto& b : plain) {
            b = static_cast<std::uint8_t>(random());
        }
        ASSERT_EQ(cipher.SetCipherKey(key, keyBits, blockBits), 0);
        ByteArray enciphered(plain.size());
        for (std::size_t i = 0; i < plain.size(); i += bs) {
            Encrypt(cipher, blockBits, plain, enciphered, static_cast<int>(i), static_cast<int>(i));
        }
        McryptRijndael reference(blockBits, key);
        ASSERT_EQ(enciphered, reference.Encrypt(plain)) << "trial " << trial;

        ByteArray deciphered(plain.size());
        for (std::size_t i = 0; i < plain.size(); i += bs) {
            Decrypt(cipher, blockBits, deciphered, enciphered, static_cast<int>(i), static_cast<int>(i));
        }
        ASSERT_EQ(deciphered, plain) << "trial " << trial;
    }
}

TEST_P(RijndaelAllSizes, InPlaceEqualsSeparateArraysAtAnyOffset)
{
    const auto [blockBits, keyBits] = GetParam();
    const auto bs = static_cast<int>(blockBits / 8);
    ClQuAK cipher;
    cipher.SetCipherKey(Counting(32, 0x40), keyBits, blockBits);

    const ByteArray source = Counting(static_cast<std::size_t>(bs) + 7, 0x90);
    ByteArray separate(static_cast<std::size_t>(bs) + 3);
    Encrypt(cipher, blockBits, source, separate, 5, 3);

    ByteArray inPlace = source;
    Encrypt(cipher, blockBits, inPlace, inPlace, 5, 5);
    EXPECT_TRUE(std::equal(separate.begin() + 3, separate.end(), inPlace.begin() + 5));
    EXPECT_TRUE(std::equal(inPlace.begin(), inPlace.begin() + 5, source.begin())) << "bytes before the block kept";

    Decrypt(cipher, blockBits, inPlace, inPlace, 5, 5);
    EXPECT_EQ(inPlace, source);
}

// 128-bit block with a 256-bit key, and a 256-bit block with a 128-bit key (which needs all 29 round
// constants), are among these.
INSTANTIATE_TEST_SUITE_P(NineCombinations, RijndaelAllSizes,
                         ::testing::Values(Sizes{128, 128}, Sizes{128, 192}, Sizes{128, 256}, Sizes{192, 128},
                                           Sizes{192, 192}, Sizes{192, 256}, Sizes{256, 128}, Sizes{256, 192},
                                           Sizes{256, 256}),
                         [](const auto& info) {
                             return "Block" + std::to_string(info.param.BlockBits) + "Key" +
                                    std::to_string(info.param.KeyBits);
                         });

void ExpectCipherError(const std::function<void()>& action, int number, const std::string& text)
{
    try {
        action();
        ADD_FAILURE() << "no error, expected " << text;
    } catch (const CipherError& e) {
        EXPECT_EQ(e.Number(), number);
        EXPECT_EQ(e.Text(), text);
    }
}

TEST(RijndaelKeyErrors, BlockSizeIsCheckedBeforeKeySize)
{
    ClQuAK cipher;
    const ByteArray key = Counting(32);
    ExpectCipherError([&] { cipher.SetCipherKey(key, 100, 100); }, 1,
                      "cRijndael.SetCipherKey - Illegal BlockBits Value");
    ExpectCipherError([&] { cipher.SetCipherKey(key, 128, 64); }, 1,
                      "cRijndael.SetCipherKey - Illegal BlockBits Value");
    ExpectCipherError([&] { cipher.SetCipherKey(key, 100, 256); }, 1, "cRijndael.SetCipherKey - Illegal KeyBits Value");
}

TEST(RijndaelKeyErrors, FailedKeyChangeLeavesScheduleAsItWas)
{
    ClQuAK cipher;
    cipher.SetCipherKey(Counting(16), 128, 128);
    const ByteArray plain = Counting(16, 0xA0);
    ByteArray before(16);
    cipher.BlockEncrypt(plain, before, 0, 0);

    const ByteArray otherKey = Counting(32, 7);
    EXPECT_THROW(cipher.SetCipherKey(otherKey, 256, 200), CipherError);
    EXPECT_THROW(cipher.SetCipherKey(otherKey, 250, 128), CipherError);
    EXPECT_THROW(cipher.SetCipherKey(Counting(31), 256, 128), CipherError) << "key array too short";

    ByteArray after(16);
    cipher.BlockEncrypt(plain, after, 0, 0);
    EXPECT_EQ(after, before);
}

// Callers that pass short arrays or indices too close to the end get error 9 and nothing is read
// or written outside the arrays.
TEST(RijndaelBounds, KeyAndBlocksMustLieInsideTheirArrays)
{
    ClQuAK cipher;
    ExpectCipherError([&] { cipher.SetCipherKey(Counting(16), 192, 128); }, 9, "Subscript out of range");
    ExpectCipherError([&] { cipher.SetCipherKey(ByteArray(32, 1), 128, 128); }, 9, "Subscript out of range");
    EXPECT_EQ(cipher.SetCipherKey(ByteArray(Counting(20).Bytes(), -4), 128, 128), 0)
        << "index 0 of an array from -4 has 16 bytes after it";

    ByteArray block = Counting(32);
    const ByteArray untouched = block;
    ExpectCipherError([&] { cipher.BlockEncrypt(block, block, 17, 0); }, 9, "Subscript out of range");
    ExpectCipherError([&] { cipher.BlockEncrypt(block, block, 0, 17); }, 9, "Subscript out of range");
    ExpectCipherError([&] { cipher.BlockDecrypt(block, block, -1, 0); }, 9, "Subscript out of range");
    ExpectCipherError([&] { cipher.Block192Decrypt(block, block, 0, 9); }, 9, "Subscript out of range");
    ExpectCipherError([&] { cipher.Block256Encrypt(block, block, 1, 0); }, 9, "Subscript out of range");
    ExpectCipherError([&] { cipher.Block256Encrypt(ByteArray(32, 1), block, 0, 0); }, 9, "Subscript out of range");
    EXPECT_EQ(block, untouched);

    // Array indices count from the array's own lower bound.
    ByteArray fromOne(Counting(16).Bytes(), 1);
    ByteArray out(16);
    cipher.BlockEncrypt(fromOne, out, 1, 0);
    ByteArray expected(16);
    cipher.BlockEncrypt(Counting(16), expected, 0, 0);
    EXPECT_EQ(out, expected);
}

} // namespace
