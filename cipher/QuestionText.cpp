#include "QuestionText.h"

#include "CipherError.h"
#include "CodePage.h"
#include "ModGSNEn.h"

const char16_t kQuestionBankPassword[] = u"pRKm*4xTv7^3q^";

namespace {

// The fixed pass phrase of the key builder (8 upper-case letters). Every question bank depends on it.
constexpr char16_t kKeyPassPhrase[] = u"RTBOUDYW";

constexpr std::size_t kKeyBytes = 32;
constexpr std::int32_t kQuestionBits = 256;

// The value of a hexadecimal digit judged by the low eight bits of the character code, or -1.
int HexDigitValue(char16_t ch)
{
    const auto c = static_cast<unsigned char>(ch & 0xFF);
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

ByteArray GetQuestionKey()
{
    ByteArray key(CodePage::ToAnsi(ModGSNEn::DigestString(kQuestionBankPassword)));
    key.ReDimPreserve(kKeyBytes);
    const std::u16string passPhraseDigest = ModGSNEn::DigestString(kKeyPassPhrase);
    if (HexToBytes(passPhraseDigest, key) != static_cast<std::int32_t>(kKeyBytes)) {
        key = ByteArray(CodePage::ToAnsi(kKeyPassPhrase));
        key.ReDimPreserve(kKeyBytes);
    }
    return key;
}

std::u16string BytesToHex(const ByteArray& bytes, std::int32_t count, std::int32_t groupSize)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    if (bytes.LBound() != 0 || count <= 0) {
        return {};
    }
    if (static_cast<std::size_t>(count) > bytes.size()) {
        throw CipherError(CipherError::kSubscriptOutOfRange, "Subscript out of range");
    }
    if (groupSize == 0) {
        throw CipherError(CipherError::kDivisionByZero, "Division by zero");
    }
    std::u16string hex;
    hex.reserve(static_cast<std::size_t>(count) * 2 + static_cast<std::size_t>((count - 1) / groupSize) * 2);
    for (std::int32_t i = 0; i < count; ++i) {
        if (i > 0 && i % groupSize == 0) {
            hex += u"  ";
        }
        const std::uint8_t b = bytes[static_cast<std::size_t>(i)];
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0x0F];
    }
    return hex;
}

std::int32_t HexToBytes(std::u16string_view hexText, ByteArray& bytes)
{
    ByteArray out(hexText.size() / 2);
    std::size_t count = 0;
    int held = -1;
    for (const char16_t ch : hexText) {
        const int value = HexDigitValue(ch);
        if (value < 0) {
            continue;
        }
        if (held < 0) {
            held = value;
        } else {
            out[count++] = static_cast<std::uint8_t>(held * 16 + value);
            held = -1;
        }
    }
    out.ReDimPreserve(count);
    bytes = std::move(out);
    return static_cast<std::int32_t>(count);
}

std::u16string EncipherQuestionText(ClQuAK& cipher, const ByteArray& key, std::u16string_view plain)
{
    if (plain.empty()) {
        return {};
    }
    const ByteArray plainBytes(CodePage::ToAnsi(plain));
    ByteArray cipherBytes;
    cipher.SetCipherKey(key, kQuestionBits, kQuestionBits);
    cipher.ArrayEncrypt(plainBytes, cipherBytes, 0, kQuestionBits);
    return BytesToHex(cipherBytes, static_cast<std::int32_t>(cipherBytes.size()), kQuestionBits / 8);
}

bool DecipherQuestionText(ClQuAK& cipher, const ByteArray& key, std::u16string_view stored, std::u16string& plain)
{
    const std::size_t first = stored.find_first_not_of(u' ');
    const std::u16string_view trimmed = first == std::u16string_view::npos
                                            ? std::u16string_view()
                                            : stored.substr(first, stored.find_last_not_of(u' ') - first + 1);
    ByteArray cipherBytes;
    if (HexToBytes(trimmed, cipherBytes) == 0) {
        return false;
    }
    ByteArray plainBytes;
    cipher.SetCipherKey(key, kQuestionBits, kQuestionBits);
    if (cipher.ArrayDecrypt(plainBytes, cipherBytes, 0, kQuestionBits) != 0) {
        return false;
    }
    plain = CodePage::FromAnsi(plainBytes.Bytes());
    return true;
}
