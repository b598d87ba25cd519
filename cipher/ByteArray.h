#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

// A byte array as the cipher's callers hand it over: contiguous bytes plus the index of its first
// element (the lower bound). Arrays start at index 0 unless a caller says otherwise; the cipher
// operations that need a zero-based array check LBound(). Positions given to operator[], data()
// and the iterators are 0-based offsets into the buffer, whatever the lower bound.
class ByteArray {
public:
    ByteArray() = default;
    explicit ByteArray(std::size_t count, std::int32_t lowerBound = 0) : mBytes(count), mLowerBound(lowerBound) {}
    ByteArray(std::vector<std::uint8_t> bytes, std::int32_t lowerBound = 0)
        : mBytes(std::move(bytes)), mLowerBound(lowerBound)
    {
    }
    ByteArray(std::initializer_list<std::uint8_t> bytes) : mBytes(bytes) {}
    ByteArray(const std::uint8_t* bytes, std::size_t count) : mBytes(bytes, bytes + count) {}

    std::int32_t LBound() const noexcept { return mLowerBound; }
    // Index of the last element; LBound() - 1 for an empty array.
    std::int32_t UBound() const noexcept { return mLowerBound + static_cast<std::int32_t>(mBytes.size()) - 1; }

    std::uint8_t* data() noexcept { return mBytes.data(); }
    const std::uint8_t* data() const noexcept { return mBytes.data(); }
    std::size_t size() const noexcept { return mBytes.size(); }
    bool empty() const noexcept { return mBytes.empty(); }
    std::uint8_t& operator[](std::size_t pos) { return mBytes[pos]; }
    const std::uint8_t& operator[](std::size_t pos) const { return mBytes[pos]; }
    auto begin() noexcept { return mBytes.begin(); }
    auto end() noexcept { return mBytes.end(); }
    auto begin() const noexcept { return mBytes.begin(); }
    auto end() const noexcept { return mBytes.end(); }

    const std::vector<std::uint8_t>& Bytes() const noexcept { return mBytes; }
    std::vector<std::uint8_t>& Bytes() noexcept { return mBytes; }

    // `count` zero bytes from index 0; the earlier content is discarded.
    void ReDim(std::size_t count)
    {
        mBytes.assign(count, 0);
        mLowerBound = 0;
    }
    // Keeps the first `count` bytes (or pads with zero bytes) and the lower bound.
    void ReDimPreserve(std::size_t count) { mBytes.resize(count, 0); }
    // No bytes, lower bound 0.
    void Clear() noexcept
    {
        mBytes.clear();
        mLowerBound = 0;
    }

    friend bool operator==(const ByteArray&, const ByteArray&) = default;

private:
    std::vector<std::uint8_t> mBytes;
    std::int32_t mLowerBound = 0;
};
