#include "ClQuAK.h"

#include "CipherError.h"
#include "CipherNotifier.h"
#include "CodePage.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr std::uint8_t XTime(std::uint8_t b)
{
    return static_cast<std::uint8_t>((b << 1) ^ ((b & 0x80) != 0 ? 0x1B : 0x00));
}

constexpr std::uint8_t Rotl8(std::uint8_t b, int n)
{
    return static_cast<std::uint8_t>((b << n) | (b >> (8 - n)));
}

constexpr std::uint32_t Rotl32(std::uint32_t w, int n)
{
    return (w << n) | (w >> (32 - n));
}

constexpr std::uint32_t Replicate(std::uint8_t b)
{
    return b * 0x01010101u;
}

constexpr std::uint32_t Word(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3)
{
    return b0 | (static_cast<std::uint32_t>(b1) << 8) | (static_cast<std::uint32_t>(b2) << 16) |
           (static_cast<std::uint32_t>(b3) << 24);
}

// Block bytes are little-endian words on every machine; compilers turn these into plain moves.
inline std::uint32_t LoadWord(const std::uint8_t* p)
{
    return Word(p[0], p[1], p[2], p[3]);
}

inline void StoreWord(std::uint8_t* p, std::uint32_t w)
{
    p[0] = static_cast<std::uint8_t>(w);
    p[1] = static_cast<std::uint8_t>(w >> 8);
    p[2] = static_cast<std::uint8_t>(w >> 16);
    p[3] = static_cast<std::uint8_t>(w >> 24);
}

inline std::uint8_t Byte(std::uint32_t w, int n)
{
    return static_cast<std::uint8_t>(w >> (8 * n));
}

// Block size in bytes for a legal BlockBits, 0 otherwise.
constexpr std::size_t BlockBytes(std::int32_t blockBits)
{
    return (blockBits == 128 || blockBits == 192 || blockBits == 256) ? static_cast<std::size_t>(blockBits / 8) : 0;
}

// The row shifts of Rijndael: (1, 2, 3) for 4 and 6 columns, (1, 3, 4) for 8.
template <int Nb> struct Shifts {
    static constexpr int C1 = 1;
    static constexpr int C2 = Nb == 8 ? 3 : 2;
    static constexpr int C3 = Nb == 8 ? 4 : 3;
};

[[noreturn]] void ThrowSubscript()
{
    throw CipherError(CipherError::kSubscriptOutOfRange, "Subscript out of range");
}

// 0-based buffer position of a block of `count` bytes at array index `index`, or error 9 when the
// block does not lie wholly inside the array.
std::size_t BlockPosition(const ByteArray& bytes, std::int32_t index, std::size_t count)
{
    const std::int64_t pos = static_cast<std::int64_t>(index) - bytes.LBound();
    if (pos < 0 || static_cast<std::uint64_t>(pos) + count > bytes.size()) {
        ThrowSubscript();
    }
    return static_cast<std::size_t>(pos);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::filesystem::path ToPath(std::u16string_view fileName)
{
    const std::string utf8 = CodePage::ToUtf8(fileName);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Size of an existing regular file; error 53 when there is none, 75 when it cannot be read.
std::uintmax_t InputFileSize(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        throw CipherError(CipherError::kFileNotFound, "File not found");
    }
    if (!std::filesystem::is_regular_file(status)) {
        throw CipherError(CipherError::kPathFileAccessError, "Path/File access error");
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        throw CipherError(CipherError::kPathFileAccessError, "Path/File access error");
    }
    return size;
}

File OpenInput(const std::filesystem::path& path)
{
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        throw CipherError(CipherError::kPathFileAccessError, "Path/File access error");
    }
    return f;
}

void ReadExactly(std::FILE* f, std::uint8_t* buffer, std::size_t count)
{
    if (count != 0 && std::fread(buffer, 1, count, f) != count) {
        throw CipherError(CipherError::kDeviceIoError, "Device I/O error");
    }
}

// The output of a file operation goes to a fresh file beside the target, which replaces the target
// only once it is complete: a failure leaves an existing output as it was, and an output that names
// the input file cannot destroy the input before it is read.
class OutputFile {
public:
    explicit OutputFile(std::filesystem::path target) : mTarget(std::move(target))
    {
        for (int attempt = 0; attempt < 100 && !mFile; ++attempt) {
            mTemp = mTarget;
            mTemp += ".part" + std::to_string(attempt);
            mFile.reset(std::fopen(mTemp.c_str(), "wbx"));
        }
        if (!mFile) {
            throw CipherError(CipherError::kPathFileAccessError, "Path/File access error");
        }
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile()
    {
        if (mFile) {
            mFile.reset();
            std::error_code ec;
            std::filesystem::remove(mTemp, ec);
        }
    }

    void Write(const std::uint8_t* bytes, std::size_t count)
    {
        if (count != 0 && std::fwrite(bytes, 1, count, mFile.get()) != count) {
            throw CipherError(CipherError::kDeviceIoError, "Device I/O error");
        }
    }

    void Commit()
    {
        const int closed = std::fclose(mFile.release());
        std::error_code ec;
        if (closed != 0) {
            std::filesystem::remove(mTemp, ec);
            throw CipherError(CipherError::kDeviceIoError, "Device I/O error");
        }
        std::filesystem::rename(mTemp, mTarget, ec);
        if (ec) {
            std::filesystem::remove(mTemp, ec);
            throw CipherError(CipherError::kPathFileAccessError, "Path/File access error");
        }
    }

private:
    std::filesystem::path mTarget;
    std::filesystem::path mTemp;
    File mFile;
};

constexpr std::size_t kFileChunkLimit = 4000000;

} // namespace

ClQuAK::ClQuAK()
{
    // Antilogarithms of the generator 3 and their logarithms, for products in GF(2^8).
    std::array<std::uint8_t, 256> alog{};
    std::array<std::uint8_t, 256> log{};
    alog[0] = 1;
    alog[1] = 3;
    for (int i = 2; i < 256; ++i) {
        alog[i] = static_cast<std::uint8_t>(alog[i - 1] ^ XTime(alog[i - 1]));
    }
    log[0] = 0;
    log[3] = 1;
    for (int i = 2; i < 256; ++i) {
        log[alog[i]] = static_cast<std::uint8_t>(i);
    }
    auto multiply = [&](std::uint8_t a, std::uint8_t c) -> std::uint8_t {
        if (a == 0 || c == 0) {
            return 0;
        }
        return alog[(log[a] + log[c]) % 255];
    };

    SBox[0] = Replicate(0x63);
    InvSBox[0x63] = 0;
    for (int x = 1; x < 256; ++x) {
        const std::uint8_t y = alog[255 - log[x]];
        const auto s = static_cast<std::uint8_t>(y ^ Rotl8(y, 1) ^ Rotl8(y, 2) ^ Rotl8(y, 3) ^ Rotl8(y, 4) ^ 0x63);
        SBox[x] = Replicate(s);
        InvSBox[s] = Replicate(static_cast<std::uint8_t>(x));
    }

    RoundConst[0] = 1;
    for (std::size_t i = 1; i < RoundConst.size(); ++i) {
        RoundConst[i] = XTime(static_cast<std::uint8_t>(RoundConst[i - 1]));
    }

    for (int x = 0; x < 256; ++x) {
        const auto s = static_cast<std::uint8_t>(SBox[x]);
        const std::uint8_t s2 = XTime(s);
        EncTable0[x] = Word(s2, s, s, static_cast<std::uint8_t>(s2 ^ s));
        EncTable1[x] = Rotl32(EncTable0[x], 8);
        EncTable2[x] = Rotl32(EncTable0[x], 16);
        EncTable3[x] = Rotl32(EncTable0[x], 24);

        const auto t = static_cast<std::uint8_t>(InvSBox[x]);
        DecTable0[x] = Word(multiply(0x0E, t), multiply(0x09, t), multiply(0x0D, t), multiply(0x0B, t));
        DecTable1[x] = Rotl32(DecTable0[x], 8);
        DecTable2[x] = Rotl32(DecTable0[x], 16);
        DecTable3[x] = Rotl32(DecTable0[x], 24);
    }
}

std::int32_t ClQuAK::SetCipherKey(const ByteArray& pass, std::int32_t KeyBits, std::int32_t BlockBits)
{
    if (BlockBytes(BlockBits) == 0) {
        throw CipherError(CipherError::kCipher, "cRijndael.SetCipherKey - Illegal BlockBits Value");
    }
    if (BlockBytes(KeyBits) == 0) {
        throw CipherError(CipherError::kCipher, "cRijndael.SetCipherKey - Illegal KeyBits Value");
    }
    const int nb = BlockBits / 32;
    const int nk = KeyBits / 32;
    // The key is read from array index 0 on; a shorter array is refused before anything changes.
    const std::uint8_t* key = pass.data() + BlockPosition(pass, 0, static_cast<std::size_t>(KeyBits / 8));

    Rounds = std::max(nb, nk) + 6;
    for (int i = 0; i < nk; ++i) {
        EncKey[i] = LoadWord(key + 4 * i);
    }
    const int words = nb * (Rounds + 1);
    for (int i = nk; i < words; ++i) {
        std::uint32_t t = EncKey[i - 1];
        if (i % nk == 0) {
            t = ((SBox[Byte(t, 1)] & 0xFFu) ^ (SBox[Byte(t, 2)] & 0xFF00u) ^ (SBox[Byte(t, 3)] & 0xFF0000u) ^
                 (SBox[Byte(t, 0)] & 0xFF000000u)) ^
                RoundConst[i / nk - 1];
        } else if (nk == 8 && i % 8 == 4) {
            t = (SBox[Byte(t, 0)] & 0xFFu) ^ (SBox[Byte(t, 1)] & 0xFF00u) ^ (SBox[Byte(t, 2)] & 0xFF0000u) ^
                (SBox[Byte(t, 3)] & 0xFF000000u);
        }
        EncKey[i] = EncKey[i - nk] ^ t;
    }
    MakeDecryptKeys(nb);
    return 0;
}

std::int32_t ClQuAK::SetCipherKeyString(std::u16string_view PassPhrase, std::int32_t KeyBits, std::int32_t BlockBits)
{
    ByteArray pass(CodePage::ToAnsi(PassPhrase));
    pass.ReDimPreserve(32);
    return SetCipherKey(pass, KeyBits, BlockBits);
}

void ClQuAK::MakeDecryptKeys(std::int32_t Nb)
{
    for (int round = 0; round <= Rounds; ++round) {
        for (int c = 0; c < Nb; ++c) {
            DecKey[round * Nb + c] = EncKey[(Rounds - round) * Nb + c];
        }
    }
    for (int j = Nb; j < Nb * Rounds; ++j) {
        const std::uint32_t w = DecKey[j];
        DecKey[j] = DecTable0[Byte(SBox[Byte(w, 0)], 0)] ^ DecTable1[Byte(SBox[Byte(w, 1)], 0)] ^
                    DecTable2[Byte(SBox[Byte(w, 2)], 0)] ^ DecTable3[Byte(SBox[Byte(w, 3)], 0)];
    }
}

namespace {

// One block through the table-driven rounds. Enciphering and deciphering differ only in their round
// keys, tables, last-round S-box and the direction of the row shifts, so both run this routine.
// Unrolled, the column indices (c + Ci) mod Nb are constants and the state stays in registers
// (three to four times faster for 8 columns).
using Table = std::array<std::uint32_t, 256>;

template <int Nb, int C1, int C2, int C3>
void RunRounds(const std::uint8_t* in, std::uint8_t* out, const std::uint32_t* k, int rounds, const Table& t0,
               const Table& t1, const Table& t2, const Table& t3, const Table& lastBox)
{
    std::uint32_t x[Nb];
    std::uint32_t y[Nb];
    for (int c = 0; c < Nb; ++c) {
        x[c] = LoadWord(in + 4 * c) ^ k[c];
    }
    auto round = [&](const std::uint32_t* from, std::uint32_t* to, const std::uint32_t* roundKey) {
#pragma GCC unroll 8
        for (int c = 0; c < Nb; ++c) {
            to[c] = t0[Byte(from[c], 0)] ^ t1[Byte(from[(c + C1) % Nb], 1)] ^ t2[Byte(from[(c + C2) % Nb], 2)] ^
                    t3[Byte(from[(c + C3) % Nb], 3)] ^ roundKey[c];
        }
    };
    // rounds - 1 (odd) full rounds: pairs that go x -> y -> x, then one x -> y.
    int r = 1;
    for (; r + 1 < rounds; r += 2) {
        round(x, y, k + Nb * r);
        round(y, x, k + Nb * (r + 1));
    }
    if (r < rounds) {
        round(x, y, k + Nb * r);
    } else {
        std::copy(x, x + Nb, y);
    }
    const std::uint32_t* last = k + Nb * rounds;
#pragma GCC unroll 8
    for (int c = 0; c < Nb; ++c) {
        x[c] = (lastBox[Byte(y[c], 0)] & 0xFFu) ^ (lastBox[Byte(y[(c + C1) % Nb], 1)] & 0xFF00u) ^
               (lastBox[Byte(y[(c + C2) % Nb], 2)] & 0xFF0000u) ^ (lastBox[Byte(y[(c + C3) % Nb], 3)] & 0xFF000000u) ^
               last[c];
    }
    for (int c = 0; c < Nb; ++c) {
        StoreWord(out + 4 * c, x[c]);
    }
}

} // namespace

template <int Nb> void ClQuAK::EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const
{
    RunRounds<Nb, Shifts<Nb>::C1, Shifts<Nb>::C2, Shifts<Nb>::C3>(in, out, EncKey.data(), Rounds, EncTable0, EncTable1,
                                                                  EncTable2, EncTable3, SBox);
}

template <int Nb> void ClQuAK::DecryptBlock(const std::uint8_t* in, std::uint8_t* out) const
{
    // Column (c - Ci) mod Nb, written as (c + Nb - Ci) mod Nb.
    RunRounds<Nb, Nb - Shifts<Nb>::C1, Nb - Shifts<Nb>::C2, Nb - Shifts<Nb>::C3>(
        in, out, DecKey.data(), Rounds, DecTable0, DecTable1, DecTable2, DecTable3, InvSBox);
}

void ClQuAK::BlockEncrypt(const ByteArray& plaintext, ByteArray& ciphertext, std::int32_t p, std::int32_t q) const
{
    const std::size_t from = BlockPosition(plaintext, p, 16);
    const std::size_t to = BlockPosition(ciphertext, q, 16);
    EncryptBlock<4>(plaintext.data() + from, ciphertext.data() + to);
}

void ClQuAK::BlockDecrypt(ByteArray& plaintext, const ByteArray& ciphertext, std::int32_t p, std::int32_t q) const
{
    const std::size_t to = BlockPosition(plaintext, p, 16);
    const std::size_t from = BlockPosition(ciphertext, q, 16);
    DecryptBlock<4>(ciphertext.data() + from, plaintext.data() + to);
}

void ClQuAK::Block192Encrypt(const ByteArray& plaintext, ByteArray& ciphertext, std::int32_t p, std::int32_t q) const
{
    const std::size_t from = BlockPosition(plaintext, p, 24);
    const std::size_t to = BlockPosition(ciphertext, q, 24);
    EncryptBlock<6>(plaintext.data() + from, ciphertext.data() + to);
}

void ClQuAK::Block192Decrypt(ByteArray& plaintext, const ByteArray& ciphertext, std::int32_t p, std::int32_t q) const
{
    const std::size_t to = BlockPosition(plaintext, p, 24);
    const std::size_t from = BlockPosition(ciphertext, q, 24);
    DecryptBlock<6>(ciphertext.data() + from, plaintext.data() + to);
}

void ClQuAK::Block256Encrypt(const ByteArray& plaintext, ByteArray& ciphertext, std::int32_t p, std::int32_t q) const
{
    const std::size_t from = BlockPosition(plaintext, p, 32);
    const std::size_t to = BlockPosition(ciphertext, q, 32);
    EncryptBlock<8>(plaintext.data() + from, ciphertext.data() + to);
}

void ClQuAK::Block256Decrypt(ByteArray& plaintext, const ByteArray& ciphertext, std::int32_t p, std::int32_t q) const
{
    const std::size_t to = BlockPosition(plaintext, p, 32);
    const std::size_t from = BlockPosition(ciphertext, q, 32);
    DecryptBlock<8>(ciphertext.data() + from, plaintext.data() + to);
}

void ClQuAK::EncryptBlocks(std::uint8_t* bytes, std::size_t count, std::size_t blockBytes) const
{
    for (std::size_t i = 0; i + blockBytes <= count; i += blockBytes) {
        switch (blockBytes) {
        case 16:
            EncryptBlock<4>(bytes + i, bytes + i);
            break;
        case 24:
            EncryptBlock<6>(bytes + i, bytes + i);
            break;
        default:
            EncryptBlock<8>(bytes + i, bytes + i);
            break;
        }
    }
}

void ClQuAK::DecryptBlocks(std::uint8_t* bytes, std::size_t count, std::size_t blockBytes) const
{
    for (std::size_t i = 0; i + blockBytes <= count; i += blockBytes) {
        switch (blockBytes) {
        case 16:
            DecryptBlock<4>(bytes + i, bytes + i);
            break;
        case 24:
            DecryptBlock<6>(bytes + i, bytes + i);
            break;
        default:
            DecryptBlock<8>(bytes + i, bytes + i);
            break;
        }
    }
}

std::int32_t ClQuAK::ArrayEncrypt(const ByteArray& plaintext, ByteArray& ciphertext, std::int32_t appendsize,
                                  std::int32_t BlockBits) const
{
    const std::size_t bs = BlockBytes(BlockBits);
    if (bs == 0) {
        throw CipherError(CipherError::kCipher, "cRijndael.ArrayEncrypt - Illegal BlockBits value");
    }
    if (plaintext.LBound() != 0) {
        throw CipherError(CipherError::kCipher, "cRijndael.ArrayEncrypt - plaintext must be zero based array");
    }
    const std::size_t n = plaintext.size();
    const std::size_t m = appendsize != 0 ? (n + bs) / bs * bs : (n + bs - 1) / bs * bs;
    // Built aside and moved in at the end, so that `plaintext` and `ciphertext` may be one array.
    ByteArray out(m);
    if (appendsize != 0) {
        out[m - 1] = static_cast<std::uint8_t>(n % bs);
    }
    std::size_t i = 0;
    for (; i + bs <= n; i += bs) {
        switch (bs) {
        case 16:
            EncryptBlock<4>(plaintext.data() + i, out.data() + i);
            break;
        case 24:
            EncryptBlock<6>(plaintext.data() + i, out.data() + i);
            break;
        default:
            EncryptBlock<8>(plaintext.data() + i, out.data() + i);
            break;
        }
    }
    std::copy(plaintext.begin() + static_cast<std::ptrdiff_t>(i), plaintext.end(),
              out.begin() + static_cast<std::ptrdiff_t>(i));
    if (i != m) {
        EncryptBlocks(out.data() + i, bs, bs);
    }
    ciphertext = std::move(out);
    return 0;
}

std::int32_t ClQuAK::ArrayDecrypt(ByteArray& plaintext, const ByteArray& ciphertext, std::int32_t appendsize,
                                  std::int32_t BlockBits) const
{
    const std::size_t bs = BlockBytes(BlockBits);
    if (bs == 0) {
        throw CipherError(CipherError::kCipher, "cRijndael.ArrayDecrypt - Illegal BlockBits value");
    }
    if (ciphertext.LBound() != 0) {
        throw CipherError(CipherError::kCipher, "cRijndael.ArrayDecrypt - ciphertext must be zero based array");
    }
    const std::size_t n = ciphertext.size();
    if (n % bs != 0) {
        CipherNotify(u"ciphertext size not a multiple of block size");
        return -1;
    }
    ByteArray out(ciphertext.Bytes());
    DecryptBlocks(out.data(), n, bs);
    std::int32_t result = 0;
    if (appendsize != 0) {
        // A cipher text with the length byte has at least one block; an empty one has no length byte.
        const std::size_t v = n == 0 ? bs : out[n - 1];
        if (v >= bs) {
            CipherNotify(u"warning - incorrect length field");
            result = 1;
        } else {
            out.ReDimPreserve(v + n - bs);
        }
    }
    plaintext = std::move(out);
    return result;
}

std::int32_t ClQuAK::FileEncrypt(std::u16string_view PlaintextFileName, std::u16string_view CiphertextFileName,
                                 std::int32_t BlockBits) const
{
    const std::size_t bs = BlockBytes(BlockBits);
    if (bs == 0) {
        throw CipherError(CipherError::kCipher, "cRijndael.FileEncrypt - Illegal BlockBits value");
    }
    const std::size_t chunk = bs * (kFileChunkLimit / bs);
    const std::filesystem::path inPath = ToPath(PlaintextFileName);
    const std::uintmax_t length = InputFileSize(inPath);
    const std::uintmax_t total = (length + bs) / bs * bs;
    File in = OpenInput(inPath);
    OutputFile out(ToPath(CiphertextFileName));

    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uintmax_t>(total, chunk)));
    std::uintmax_t remaining = total;
    while (remaining > chunk) {
        ReadExactly(in.get(), buffer.data(), chunk);
        EncryptBlocks(buffer.data(), chunk, bs);
        out.Write(buffer.data(), chunk);
        remaining -= chunk;
    }
    // The last piece: the rest of the file, zero padding, and the length byte.
    const auto last = static_cast<std::size_t>(remaining);
    const auto rest = static_cast<std::size_t>(length - (total - remaining));
    std::fill(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(last), std::uint8_t{0});
    ReadExactly(in.get(), buffer.data(), rest);
    buffer[last - 1] = static_cast<std::uint8_t>(length % bs);
    EncryptBlocks(buffer.data(), last, bs);
    out.Write(buffer.data(), last);
    in.reset();
    out.Commit();
    return 0;
}

std::int32_t ClQuAK::FileDecrypt(std::u16string_view PlaintextFileName, std::u16string_view CiphertextFileName,
                                 std::int32_t BlockBits) const
{
    const std::size_t bs = BlockBytes(BlockBits);
    if (bs == 0) {
        throw CipherError(CipherError::kCipher, "cRijndael.FileDecrypt - Illegal BlockBits value");
    }
    const std::size_t chunk = bs * (kFileChunkLimit / bs);
    const std::filesystem::path inPath = ToPath(CiphertextFileName);
    std::uintmax_t length = InputFileSize(inPath);
    if (length % bs != 0 || length == 0) {
        CipherNotify(u"File Size Error - ciphertext file not a multiple of block size");
        return 1;
    }
    File in = OpenInput(inPath);
    OutputFile out(ToPath(PlaintextFileName));

    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uintmax_t>(length, chunk)));
    while (length > chunk) {
        ReadExactly(in.get(), buffer.data(), chunk);
        DecryptBlocks(buffer.data(), chunk, bs);
        out.Write(buffer.data(), chunk);
        length -= chunk;
    }
    const auto last = static_cast<std::size_t>(length);
    ReadExactly(in.get(), buffer.data(), last);
    DecryptBlocks(buffer.data(), last, bs);
    const std::size_t v = buffer[last - 1];
    if (v >= bs) {
        CipherNotify(u"warning - incorrect length field in decrypted file.\r\nWrong key, keysize, or blocksize?");
        out.Write(buffer.data(), last);
    } else {
        out.Write(buffer.data(), v + last - bs);
    }
    in.reset();
    out.Commit();
    return 0;
}
