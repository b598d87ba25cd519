#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// An error raised by the cipher, the digest or the stored-text conversions, carrying the error
// number and text the callers expect (number 1 and a text starting "cRijndael." for illegal
// sizes and arrays not based at 0, 6 for an overflow of the digest, the platform's numbers for
// bad indices and file errors). The program's set-up has the forms runtime turn it into a runtime
// error of the same number and text. Texts are ASCII.
class CipherError : public std::runtime_error {
public:
    CipherError(std::int32_t number, const std::string& text) : std::runtime_error(text), mNumber(number) {}

    std::int32_t Number() const noexcept { return mNumber; }
    std::string Text() const { return what(); }

    // The error numbers used below the forms, as the platform numbers them.
    static constexpr std::int32_t kCipher = 1;
    static constexpr std::int32_t kOverflow = 6;
    static constexpr std::int32_t kSubscriptOutOfRange = 9;
    static constexpr std::int32_t kDivisionByZero = 11;
    static constexpr std::int32_t kFileNotFound = 53;
    static constexpr std::int32_t kDeviceIoError = 57;
    static constexpr std::int32_t kPathFileAccessError = 75;

private:
    std::int32_t mNumber;
};
