#include "CodePage.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace CodePage {
namespace {

// Opening a descriptor costs far more than converting a short text, and the bank builder converts
// hundreds of thousands of them, so each direction keeps one descriptor per thread. Its shift state
// is reset before every text so that nothing leaks from one text into the next.
class Converter {
public:
    Converter(const char* to, const char* from) : mHandle(iconv_open(to, from))
    {
        if (mHandle == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(mHandle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; each unit that cannot be converted is replaced by `replacement`
    // (already in the target encoding) and skipped by `skipUnit` bytes of the input.
    std::string Run(const char* in, std::size_t inLeft, std::string_view replacement, std::size_t skipUnit)
    {
        iconv(mHandle, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.resize(inLeft * 2 + 16);
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        auto* inPtr = const_cast<char*>(in);
        while (inLeft > 0) {
            const std::size_t rc = iconv(mHandle, &inPtr, &inLeft, &outPtr, &outLeft);
            if (rc != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno == E2BIG) {
                const std::size_t used = static_cast<std::size_t>(outPtr - out.data());
                out.resize(out.size() * 2 + 16);
                outPtr = out.data() + used;
                outLeft = out.size() - used;
                continue;
            }
            // EILSEQ or EINVAL: an unconvertible or truncated unit.
            if (outLeft < replacement.size()) {
                const std::size_t used = static_cast<std::size_t>(outPtr - out.data());
                out.resize(out.size() + replacement.size() + 16);
                outPtr = out.data() + used;
                outLeft = out.size() - used;
            }
            for (char c : replacement) {
                *outPtr++ = c;
                --outLeft;
            }
            const std::size_t skip = std::min(skipUnit, inLeft);
            inPtr += skip;
            inLeft -= skip;
        }
        out.resize(static_cast<std::size_t>(outPtr - out.data()));
        return out;
    }

private:
    iconv_t mHandle;
};

Converter& Utf16ToAnsi()
{
    thread_local Converter conv("CP936", "UTF-16LE");
    return conv;
}

Converter& AnsiToUtf16()
{
    thread_local Converter conv("UTF-16LE", "CP936");
    return conv;
}

Converter& Utf8ToUtf16()
{
    thread_local Converter conv("UTF-16LE", "UTF-8");
    return conv;
}

Converter& Utf16ToUtf8()
{
    thread_local Converter conv("UTF-8", "UTF-16LE");
    return conv;
}

} // namespace

std::string ToAnsiString(std::u16string_view text)
{
    if (text.empty()) {
        return {};
    }
    return Utf16ToAnsi().Run(reinterpret_cast<const char*>(text.data()), text.size() * 2, "?", 2);
}

std::vector<std::uint8_t> ToAnsi(std::u16string_view text)
{
    const std::string bytes = ToAnsiString(text);
    return {bytes.begin(), bytes.end()};
}

std::u16string FromAnsi(const std::uint8_t* bytes, std::size_t count)
{
    if (count == 0) {
        return {};
    }
    const std::string out = AnsiToUtf16().Run(reinterpret_cast<const char*>(bytes), count, std::string_view("?\0", 2), 1);
    std::u16string result(out.size() / 2, u'\0');
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<char16_t>(static_cast<std::uint8_t>(out[2 * i]) |
                                          (static_cast<std::uint8_t>(out[2 * i + 1]) << 8));
    }
    return result;
}

std::u16string FromAnsi(const std::vector<std::uint8_t>& bytes)
{
    return FromAnsi(bytes.data(), bytes.size());
}

std::u16string FromAnsi(std::string_view bytes)
{
    return FromAnsi(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::u16string FromUtf8(std::string_view utf8)
{
    if (utf8.empty()) {
        return {};
    }
    const std::string out = Utf8ToUtf16().Run(utf8.data(), utf8.size(), std::string_view("\xFD\xFF", 2), 1);
    std::u16string result(out.size() / 2, u'\0');
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<char16_t>(static_cast<std::uint8_t>(out[2 * i]) |
                                          (static_cast<std::uint8_t>(out[2 * i + 1]) << 8));
    }
    return result;
}

std::string ToUtf8(std::u16string_view text)
{
    if (text.empty()) {
        return {};
    }
    return Utf16ToUtf8().Run(reinterpret_cast<const char*>(text.data()), text.size() * 2, "\xEF\xBF\xBD", 2);
}

} // namespace CodePage
