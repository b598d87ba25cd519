#include "ModGSNEn.h"

#include "CipherError.h"
#include "CodePage.h"

#include <cstring>
#include <vector>

namespace ModGSNEn {
namespace {

// Every question-bank key depends on these values: never change them. Steps 2, 3, 6, 8, 9, 11 to 15,
// 18, 23 to 25, 29, 31, 35, 39, 50, 56, 59 and 62 keep the constants of RFC 1321; the starting
// values and the other 42 step constants are this program's own.
constexpr DigestConstants kSystemConstants{
    {0xC3C7558E, 0xD3E1961F, 0xEBF9BC14, 0x1BF3CAAC},
    {
        0x23EBD6A8, 0xE8C7B756, 0x242070DB, 0x3BC82883, 0x6365A0F4, 0x4787C62A, 0x6B4C1D24, 0xFD469501,
        0x698098D8, 0x92AFCC0A, 0xFFFF5BB1, 0x895CD7BE, 0x6B901122, 0xFD987193, 0xA679438E, 0x9A8AD2BC,
        0xB21093C5, 0xC040B340, 0xF83D25E0, 0x07C10746, 0x0F803CFA, 0x1EF938C9, 0xD8A1E681, 0xE7D3FBC8,
        0x21E1CDE6, 0x36212E7C, 0x4D390A3A, 0x6BEAB24C, 0xA9E3E905, 0x82DD7D4A, 0x676F02D9, 0x99C09BF3,
        0xED27F45A, 0xF4B2D3DD, 0x6D9D6122, 0x1A502BBC, 0x3849E05C, 0x5D9D3DA7, 0xF6BB4B60, 0x73EF0CA3,
        0x8A326F61, 0xA7CB5E41, 0xD4019B9F, 0xE2B1E72D, 0xF8AEC728, 0x0E9DDCB8, 0x15EA8282, 0x2BC75CF6,
        0x57587F03, 0x432AFF97, 0xBC31EC63, 0xC35B24A7, 0xD1A949AE, 0xE713D14B, 0xEE347DA6, 0x85845DD1,
        0x038E0BF4, 0x11C2BAE0, 0xA3014314, 0x18DAF9A3, 0x270749E1, 0xBD3AF235, 0x516B0AF9, 0x5876DCAE,
    },
};

const DigestConstants* gConstants = &kSystemConstants;

// The byte loops of the digest count in signed 16 bits.
constexpr std::int32_t kMaxInputBytes = 32767;

// Module-wide state of the one digest in progress; DigestState[1..4] are A, B, C, D.
std::int32_t DigestState[5];
std::int32_t DigestCount;
std::uint8_t DigestBuffer[64];

std::int32_t ToLong(std::uint32_t w)
{
    return static_cast<std::int32_t>(w);
}

std::uint32_t Bits(std::int32_t w)
{
    return static_cast<std::uint32_t>(w);
}

[[noreturn]] void ThrowOverflow()
{
    throw CipherError(CipherError::kOverflow, "Overflow");
}

// A value 0 <= d < 2^32 as the signed 32-bit word of the same bit pattern.
std::int32_t DoubleToLong(double d)
{
    if (!(d >= 0.0 && d < 4294967296.0)) {
        ThrowOverflow();
    }
    return ToLong(static_cast<std::uint32_t>(d));
}

// Sums modulo 2^32, carried through 16-bit halves so that no intermediate leaves a signed word.
std::int32_t AddLong(std::int32_t a, std::int32_t b)
{
    const std::uint32_t low = (Bits(a) & 0xFFFFu) + (Bits(b) & 0xFFFFu);
    const std::uint32_t high = (Bits(a) >> 16) + (Bits(b) >> 16) + (low >> 16);
    return DoubleToLong(static_cast<double>(high & 0xFFFFu) * 65536.0 + static_cast<double>(low & 0xFFFFu));
}

std::int32_t AddLong4(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d)
{
    const std::uint32_t low = (Bits(a) & 0xFFFFu) + (Bits(b) & 0xFFFFu) + (Bits(c) & 0xFFFFu) + (Bits(d) & 0xFFFFu);
    const std::uint32_t high = (Bits(a) >> 16) + (Bits(b) >> 16) + (Bits(c) >> 16) + (Bits(d) >> 16) + (low >> 16);
    return DoubleToLong(static_cast<double>(high & 0xFFFFu) * 65536.0 + static_cast<double>(low & 0xFFFFu));
}

// Left rotation by s bits, one bit at a time; s is reduced to s mod 32 in the caller's variable.
std::int32_t RotateLeftLong(std::int32_t x, std::int32_t& s)
{
    s %= 32;
    if (s < 0) {
        s += 32;
    }
    std::uint32_t w = Bits(x);
    for (std::int32_t i = 0; i < s; ++i) {
        const std::uint32_t bit30 = (w >> 30) & 1u;
        const std::uint32_t bit31 = w >> 31;
        w = ((w & 0x3FFFFFFFu) << 1) | (bit30 << 31) | bit31;
    }
    return ToLong(w);
}

// r = u + rotl(r + f(u, v, w) + x + t, s) for the four round functions.
void Step(std::int32_t& r, std::int32_t u, std::int32_t f, std::int32_t x, std::int32_t s, std::uint32_t t)
{
    std::int32_t shift = s;
    r = AddLong(u, RotateLeftLong(AddLong4(r, f, x, ToLong(t)), shift));
}

void RoundF(std::int32_t& r, std::int32_t u, std::int32_t v, std::int32_t w, std::int32_t x, std::int32_t s,
            std::uint32_t t)
{
    Step(r, u, ToLong((Bits(u) & Bits(v)) | (~Bits(u) & Bits(w))), x, s, t);
}

void RoundG(std::int32_t& r, std::int32_t u, std::int32_t v, std::int32_t w, std::int32_t x, std::int32_t s,
            std::uint32_t t)
{
    Step(r, u, ToLong((Bits(u) & Bits(w)) | (Bits(v) & ~Bits(w))), x, s, t);
}

void RoundH(std::int32_t& r, std::int32_t u, std::int32_t v, std::int32_t w, std::int32_t x, std::int32_t s,
            std::uint32_t t)
{
    Step(r, u, ToLong(Bits(u) ^ Bits(v) ^ Bits(w)), x, s, t);
}

void RoundI(std::int32_t& r, std::int32_t u, std::int32_t v, std::int32_t w, std::int32_t x, std::int32_t s,
            std::uint32_t t)
{
    Step(r, u, ToLong(Bits(v) ^ (Bits(u) | ~Bits(w))), x, s, t);
}

void DecodeBlock(std::int32_t (&x)[16])
{
    for (int k = 0; k < 16; ++k) {
        x[k] = ToLong(DigestBuffer[4 * k] | (static_cast<std::uint32_t>(DigestBuffer[4 * k + 1]) << 8) |
                      (static_cast<std::uint32_t>(DigestBuffer[4 * k + 2]) << 16) |
                      (static_cast<std::uint32_t>(DigestBuffer[4 * k + 3]) << 24));
    }
}

void DigestTransform()
{
    static constexpr std::int32_t kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};
    using RoundFunction =
        void (*)(std::int32_t&, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::uint32_t);
    static constexpr RoundFunction kRound[4] = {RoundF, RoundG, RoundH, RoundI};

    std::int32_t x[16];
    DecodeBlock(x);
    // reg[0..3] = a, b, c, d. Step k of a round updates a, d, c, b in turn (register (4 - k) mod 4)
    // with the three registers that follow it cyclically.
    std::int32_t reg[4] = {DigestState[1], DigestState[2], DigestState[3], DigestState[4]};
    for (int round = 0; round < 4; ++round) {
        for (int k = 0; k < 16; ++k) {
            int m = k;
            switch (round) {
            case 1:
                m = (1 + 5 * k) % 16;
                break;
            case 2:
                m = (5 + 3 * k) % 16;
                break;
            case 3:
                m = (7 * k) % 16;
                break;
            default:
                break;
            }
            const int r = (4 - k % 4) % 4;
            kRound[round](reg[r], reg[(r + 1) % 4], reg[(r + 2) % 4], reg[(r + 3) % 4], x[m], kShift[round][k % 4],
                          gConstants->Step[static_cast<std::size_t>(round * 16 + k)]);
        }
    }
    for (int i = 0; i < 4; ++i) {
        DigestState[i + 1] = AddLong(DigestState[i + 1], reg[i]);
    }
}

void DigestInit()
{
    DigestCount = 0;
    for (int i = 0; i < 4; ++i) {
        DigestState[i + 1] = ToLong(gConstants->Start[static_cast<std::size_t>(i)]);
    }
}

std::vector<std::uint8_t> StringToBytes(std::u16string_view text)
{
    return CodePage::ToAnsi(text);
}

void DigestUpdate(std::int32_t len, const std::uint8_t* bytes)
{
    if (len > kMaxInputBytes) {
        ThrowOverflow();
    }
    std::int32_t index = DigestCount % 64;
    const std::int32_t partLen = 64 - index;
    DigestCount += len;
    std::int32_t i = 0;
    if (len >= partLen) {
        std::memcpy(DigestBuffer + index, bytes, static_cast<std::size_t>(partLen));
        DigestTransform();
        for (i = partLen; i + 63 < len; i += 64) {
            std::memcpy(DigestBuffer, bytes + i, 64);
            DigestTransform();
        }
        index = 0;
    }
    if (len > i) {
        std::memcpy(DigestBuffer + index, bytes + i, static_cast<std::size_t>(len - i));
    }
}

void DigestFinal()
{
    const std::uint32_t bits = Bits(DigestCount) * 8u;
    const std::int32_t index = DigestCount % 64;
    const std::int32_t padLen = index < 56 ? 56 - index : 120 - index;
    std::uint8_t padding[64] = {0x80};
    DigestUpdate(padLen, padding);
    const std::uint8_t lengthField[8] = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                                         static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    DigestUpdate(8, lengthField);
}

std::u16string LongToHex(std::int32_t w)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string hex;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t b = (Bits(w) >> (8 * i)) & 0xFFu;
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0xFu];
    }
    return hex;
}

std::u16string DigestToHex()
{
    return LongToHex(DigestState[1]) + LongToHex(DigestState[2]) + LongToHex(DigestState[3]) +
           LongToHex(DigestState[4]);
}

} // namespace

std::u16string DigestString(std::u16string_view text)
{
    DigestInit();
    const std::vector<std::uint8_t> bytes = StringToBytes(text);
    if (bytes.size() > static_cast<std::size_t>(kMaxInputBytes)) {
        ThrowOverflow();
    }
    DigestUpdate(static_cast<std::int32_t>(bytes.size()), bytes.data());
    DigestFinal();
    return DigestToHex();
}

const DigestConstants& SystemDigestConstants()
{
    return kSystemConstants;
}

void UseDigestConstantsForTesting(const DigestConstants* constants)
{
    gConstants = constants != nullptr ? constants : &kSystemConstants;
}

} // namespace ModGSNEn
