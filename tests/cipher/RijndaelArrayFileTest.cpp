#include "CipherError.h"
#include "CipherTestSupport.h"
#include "ClQuAK.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

using qkmciphertest::CapturedMessages;
using qkmciphertest::Counting;

namespace {

ClQuAK KeyedCipher(int blockBits, int keyBits = 256)
{
    ClQuAK cipher;
    cipher.SetCipherKey(Counting(32, 0x31), keyBits, blockBits);
    return cipher;
}

// Deciphers block by block, without any length handling, to look at the raw layout.
ByteArray RawDecrypt(const ClQuAK& cipher, const ByteArray& enciphered, int blockBits)
{
    ByteArray plain(enciphered.size());
    const int bs = blockBits / 8;
    for (int i = 0; i + bs <= static_cast<int>(enciphered.size()); i += bs) {
        if (blockBits == 128) {
            cipher.BlockDecrypt(plain, enciphered, i, i);
        } else if (blockBits == 192) {
            cipher.Block192Decrypt(plain, enciphered, i, i);
        } else {
            cipher.Block256Decrypt(plain, enciphered, i, i);
        }
    }
    return plain;
}

ByteArray WithZeros(ByteArray bytes, std::size_t size)
{
    bytes.ReDimPreserve(size);
    return bytes;
}

TEST(RijndaelArrayLayout, ZeroPaddingWithoutLengthByte)
{
    for (const int blockBits : {128, 192, 256}) {
        SCOPED_TRACE(blockBits);
        const std::size_t bs = static_cast<std::size_t>(blockBits / 8);
        const ClQuAK cipher = KeyedCipher(blockBits);
        for (const std::size_t n : {std::size_t{1}, std::size_t{5}, bs - 1, bs, bs + 1, 2 * bs}) {
            SCOPED_TRACE(n);
            const ByteArray plain = Counting(n, 1);
            ByteArray enciphered;
            ASSERT_EQ(cipher.ArrayEncrypt(plain, enciphered, 0, blockBits), 0);
            const std::size_t m = (n + bs - 1) / bs * bs;
            ASSERT_EQ(enciphered.size(), m);
            EXPECT_EQ(RawDecrypt(cipher, enciphered, blockBits), WithZeros(plain, m));

            ByteArray deciphered{9, 9};
            ASSERT_EQ(cipher.ArrayDecrypt(deciphered, enciphered, 0, blockBits), 0);
            EXPECT_EQ(deciphered, WithZeros(plain, m)) << "the padding stays";
        }
    }
}

TEST(RijndaelArrayLayout, LengthByteAlwaysInAFollowingBlockPosition)
{
    for (const int blockBits : {128, 192, 256}) {
        SCOPED_TRACE(blockBits);
        const std::size_t bs = static_cast<std::size_t>(blockBits / 8);
        const ClQuAK cipher = KeyedCipher(blockBits, 128);
        for (const std::size_t n : {std::size_t{0}, std::size_t{1}, bs - 1, bs, bs + 1, 2 * bs}) {
            SCOPED_TRACE(n);
            const ByteArray plain = Counting(n, 1);
            ByteArray enciphered;
            ASSERT_EQ(cipher.ArrayEncrypt(plain, enciphered, 1, blockBits), 0);
            const std::size_t m = (n + bs) / bs * bs;
            ASSERT_EQ(enciphered.size(), m) << "an exact multiple gets a whole extra block";
            ByteArray raw = RawDecrypt(cipher, enciphered, blockBits);
            EXPECT_EQ(raw[m - 1], n % bs);
            raw[m - 1] = 0;
            EXPECT_EQ(raw, WithZeros(plain, m));

            ByteArray deciphered;
            ASSERT_EQ(cipher.ArrayDecrypt(deciphered, enciphered, 1, blockBits), 0);
            EXPECT_EQ(deciphered, plain);
        }
    }
}

TEST(RijndaelArrayLayout, EmptyInputs)
{
    const ClQuAK cipher = KeyedCipher(256);
    ByteArray enciphered{1, 2, 3};
    EXPECT_EQ(cipher.ArrayEncrypt(ByteArray(), enciphered, 0, 256), 0);
    EXPECT_TRUE(enciphered.empty());

    CapturedMessages messages;
    ByteArray deciphered{1, 2, 3};
    EXPECT_EQ(cipher.ArrayDecrypt(deciphered, ByteArray(), 0, 256), 0);
    EXPECT_TRUE(deciphered.empty());
    EXPECT_TRUE(messages.Texts().empty());

    // With the length byte a cipher text has at least one block: an empty one has no length byte.
    EXPECT_EQ(cipher.ArrayDecrypt(deciphered, ByteArray(), 1, 256), 1);
    EXPECT_EQ(messages.Texts(), std::vector<std::u16string>{u"warning - incorrect length field"});
}

TEST(RijndaelArrayLayout, SameArrayAsInputAndOutput)
{
    const ClQuAK cipher = KeyedCipher(192);
    const ByteArray plain = Counting(50, 3);
    ByteArray expected;
    cipher.ArrayEncrypt(plain, expected, 1, 192);

    ByteArray both = plain;
    cipher.ArrayEncrypt(both, both, 1, 192);
    EXPECT_EQ(both, expected);
    cipher.ArrayDecrypt(both, both, 1, 192);
    EXPECT_EQ(both, plain);
}

TEST(RijndaelArrayErrors, WrongLengthAndWrongLengthByteAreReported)
{
    CapturedMessages messages;
    const ClQuAK cipher = KeyedCipher(256);
    ByteArray untouched{7, 7, 7};
    EXPECT_EQ(cipher.ArrayDecrypt(untouched, Counting(33), 0, 256), -1);
    EXPECT_EQ(untouched, (ByteArray{7, 7, 7}));

    // A block whose deciphered last byte is 40, more than a 32-byte block can hold.
    ByteArray plainBlock(32);
    plainBlock[31] = 40;
    ByteArray enciphered(32);
    cipher.Block256Encrypt(plainBlock, enciphered, 0, 0);
    ByteArray deciphered;
    EXPECT_EQ(cipher.ArrayDecrypt(deciphered, enciphered, 1, 256), 1);
    EXPECT_EQ(deciphered, plainBlock) << "all deciphered bytes are kept";

    EXPECT_EQ(messages.Texts(), (std::vector<std::u16string>{u"ciphertext size not a multiple of block size",
                                                             u"warning - incorrect length field"}));
}

TEST(RijndaelArrayErrors, IllegalBlockSizeAndLowerBound)
{
    const ClQuAK cipher = KeyedCipher(256);
    ByteArray out;
    const ByteArray fromOne(Counting(32).Bytes(), 1);
    const auto expectError = [](const std::function<void()>& action, const std::string& text) {
        try {
            action();
            ADD_FAILURE() << "expected " << text;
        } catch (const CipherError& e) {
            EXPECT_EQ(e.Number(), 1);
            EXPECT_EQ(e.Text(), text);
        }
    };
    expectError([&] { cipher.ArrayEncrypt(Counting(32), out, 0, 64); },
                "cRijndael.ArrayEncrypt - Illegal BlockBits value");
    expectError([&] { cipher.ArrayDecrypt(out, Counting(32), 0, 64); },
                "cRijndael.ArrayDecrypt - Illegal BlockBits value");
    expectError([&] { cipher.ArrayEncrypt(fromOne, out, 0, 256); },
                "cRijndael.ArrayEncrypt - plaintext must be zero based array");
    expectError([&] { cipher.ArrayDecrypt(out, fromOne, 0, 256); },
                "cRijndael.ArrayDecrypt - ciphertext must be zero based array");
    expectError([&] { cipher.ArrayEncrypt(fromOne, out, 0, 100); }, "cRijndael.ArrayEncrypt - Illegal BlockBits value");
    expectError([&] { cipher.FileEncrypt(u"a", u"b", 100); }, "cRijndael.FileEncrypt - Illegal BlockBits value");
    expectError([&] { cipher.FileDecrypt(u"a", u"b", 0); }, "cRijndael.FileDecrypt - Illegal BlockBits value");
    EXPECT_TRUE(out.empty());
}

TEST(RijndaelKeyString, PassPhraseIsCutOrPaddedTo32Bytes)
{
    const std::u16string longPhrase = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd"; // 40 characters
    ClQuAK fromString;
    ASSERT_EQ(fromString.SetCipherKeyString(longPhrase, 256, 256), 0);
    ClQuAK fromBytes;
    fromBytes.SetCipherKey(ByteArray(std::vector<std::uint8_t>(longPhrase.begin(), longPhrase.begin() + 32)), 256, 256);

    ByteArray a;
    ByteArray b;
    fromString.ArrayEncrypt(Counting(40), a, 0, 256);
    fromBytes.ArrayEncrypt(Counting(40), b, 0, 256);
    EXPECT_EQ(a, b);

    // A short phrase in code page 936 (two bytes per character) padded with zero bytes.
    ClQuAK shortString;
    shortString.SetCipherKeyString(u"无A", 128, 128);
    ClQuAK shortBytes;
    shortBytes.SetCipherKey(ByteArray{0xCE, 0xDE, 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 128, 128);
    shortString.ArrayEncrypt(Counting(16), a, 0, 128);
    shortBytes.ArrayEncrypt(Counting(16), b, 0, 128);
    EXPECT_EQ(a, b);
}

class RijndaelFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        mDir = std::filesystem::temp_directory_path() /
               ("qkm-cipher-files-" + std::to_string(std::random_device{}()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(mDir);
    }
    void TearDown() override { std::filesystem::remove_all(mDir); }

    std::u16string Name(const std::string& leaf) const
    {
        const std::u8string s = (mDir / leaf).u8string();
        return std::u16string(s.begin(), s.end()); // the directory and leaves are ASCII
    }
    static std::vector<std::uint8_t> Read(const std::u16string& name)
    {
        std::ifstream in(std::filesystem::path(std::u8string(name.begin(), name.end())), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const std::u16string& name, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream out(std::filesystem::path(std::u8string(name.begin(), name.end())), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::filesystem::path mDir;
};

TEST_F(RijndaelFiles, AcrossTheChunkBoundaryFilesMatchTheArrayLayout)
{
    std::mt19937 random(5);
    // 8 000 000 bytes are two full 4 000 000-byte chunks plus a block for the length byte; the
    // 24-byte block size uses chunks of 3 999 984 bytes.
    for (const auto& [blockBits, size] : {std::pair{256, 8000000}, std::pair{192, 3999984 + 5}, std::pair{128, 0}}) {
        SCOPED_TRACE(blockBits);
        std::vector<std::uint8_t> plain(static_cast<std::size_t>(size));
        for (auto& b : plain) {
            b = static_cast<std::uint8_t>(random());
        }
        Write(Name("plain.bin"), plain);
        const ClQuAK cipher = KeyedCipher(blockBits);
        ASSERT_EQ(cipher.FileEncrypt(Name("plain.bin"), Name("cipher.bin"), blockBits), 0);

        ByteArray expected;
        cipher.ArrayEncrypt(ByteArray(plain), expected, 1, blockBits);
        const std::vector<std::uint8_t> enciphered = Read(Name("cipher.bin"));
        EXPECT_EQ(enciphered.size(), expected.size());
        EXPECT_TRUE(enciphered == expected.Bytes());

        ASSERT_EQ(cipher.FileDecrypt(Name("back.bin"), Name("cipher.bin"), blockBits), 0);
        EXPECT_TRUE(Read(Name("back.bin")) == plain);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(mDir), std::filesystem::directory_iterator()), 3)
        << "no scratch files left behind";
}

TEST_F(RijndaelFiles, WrongSizesAndWrongLengthByte)
{
    CapturedMessages messages;
    const ClQuAK cipher = KeyedCipher(256);
    Write(Name("empty.bin"), {});
    Write(Name("odd.bin"), std::vector<std::uint8_t>(33));
    EXPECT_EQ(cipher.FileDecrypt(Name("out.bin"), Name("empty.bin"), 256), 1);
    EXPECT_EQ(cipher.FileDecrypt(Name("out.bin"), Name("odd.bin"), 256), 1);
    EXPECT_FALSE(std::filesystem::exists(mDir / "out.bin")) << "no output opened for a bad size";

    // A last block whose length byte is 40: reported, and the whole piece is written.
    ByteArray plainBlock(32);
    plainBlock[31] = 40;
    ByteArray enciphered(32);
    cipher.Block256Encrypt(plainBlock, enciphered, 0, 0);
    Write(Name("bad.bin"), enciphered.Bytes());
    EXPECT_EQ(cipher.FileDecrypt(Name("out.bin"), Name("bad.bin"), 256), 0);
    EXPECT_TRUE(Read(Name("out.bin")) == plainBlock.Bytes());

    const std::u16string sizeError = u"File Size Error - ciphertext file not a multiple of block size";
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::u16string>{
                  sizeError, sizeError,
                  u"warning - incorrect length field in decrypted file.\r\nWrong key, keysize, or blocksize?"}));
}

TEST_F(RijndaelFiles, MissingInputIsAnErrorAndCreatesNothing)
{
    const ClQuAK cipher = KeyedCipher(128);
    for (const bool decrypt : {false, true}) {
        try {
            if (decrypt) {
                cipher.FileDecrypt(Name("out.bin"), Name("missing.bin"), 128);
            } else {
                cipher.FileEncrypt(Name("missing.bin"), Name("out.bin"), 128);
            }
            ADD_FAILURE() << "no error for a missing input";
        } catch (const CipherError& e) {
            EXPECT_EQ(e.Number(), 53);
            EXPECT_EQ(e.Text(), "File not found");
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(mDir)) << "neither the input nor an output was created";
}

TEST_F(RijndaelFiles, OutputIsReplacedWholeAndMayNameTheInput)
{
    const ClQuAK cipher = KeyedCipher(128);
    Write(Name("plain.bin"), {1, 2, 3});
    Write(Name("back.bin"), std::vector<std::uint8_t>(1000, 0xEE));
    ASSERT_EQ(cipher.FileEncrypt(Name("plain.bin"), Name("cipher.bin"), 128), 0);
    ASSERT_EQ(cipher.FileDecrypt(Name("back.bin"), Name("cipher.bin"), 128), 0);
    EXPECT_EQ(Read(Name("back.bin")), (std::vector<std::uint8_t>{1, 2, 3})) << "no stale tail of the old file";

    ASSERT_EQ(cipher.FileEncrypt(Name("plain.bin"), Name("plain.bin"), 128), 0);
    EXPECT_EQ(Read(Name("plain.bin")), Read(Name("cipher.bin")));
    ASSERT_EQ(cipher.FileDecrypt(Name("plain.bin"), Name("plain.bin"), 128), 0);
    EXPECT_EQ(Read(Name("plain.bin")), (std::vector<std::uint8_t>{1, 2, 3}));

    // An output that cannot be created leaves the input alone.
    EXPECT_THROW(cipher.FileEncrypt(Name("plain.bin"), Name("no-such-dir/out.bin"), 128), CipherError);
    EXPECT_EQ(Read(Name("plain.bin")), (std::vector<std::uint8_t>{1, 2, 3}));
}

} // namespace
