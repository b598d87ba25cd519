#pragma once

#include "ByteArray.h"
#include "CipherNotifier.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qkmciphertest {

// Records the cipher's messages for the life of the object instead of writing them out.
class CapturedMessages {
public:
    CapturedMessages() : mPrevious(SetCipherNotifier([this](std::u16string_view text) { mTexts.emplace_back(text); }))
    {
    }
    ~CapturedMessages() { SetCipherNotifier(mPrevious); }
    CapturedMessages(const CapturedMessages&) = delete;
    CapturedMessages& operator=(const CapturedMessages&) = delete;

    const std::vector<std::u16string>& Texts() const { return mTexts; }

private:
    std::vector<std::u16string> mTexts;
    CipherNotifier mPrevious;
};

inline ByteArray FromHex(std::string_view hex)
{
    ByteArray bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.Bytes().push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

// 0, 1, 2, ... as bytes: easy to recognise in a failure message.
inline ByteArray Counting(std::size_t count, std::uint8_t start = 0)
{
    ByteArray bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(start + i);
    }
    return bytes;
}

} // namespace qkmciphertest
