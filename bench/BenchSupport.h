#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Shared by the benchmarks of every layer.
namespace qkmbench {

// Marks a file as changed (its modification time set to now), so that the next open of a question
// bank derives its key again instead of taking the handle the last connection left idle.
inline void TouchFile(const std::string& path)
{
    ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0);
}

// The same deterministic bytes for every benchmark that compares implementations.
inline std::vector<std::uint8_t> PatternBytes(std::size_t count, std::uint32_t seed = 0x9E3779B9u)
{
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t x = seed;
    for (auto& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    return bytes;
}

} // namespace qkmbench

namespace qkmbench {

// A line of the closing comparison table: the throughput of `Subject` against that of `Reference`
// (benchmark names as printed), the reference measured both as it is and, for references whose
// name starts with "OpenSSL", with OpenSSL's AES instructions masked.
struct Comparison {
    std::string Subject;
    std::string Reference;
};

inline std::vector<Comparison>& Comparisons()
{
    static std::vector<Comparison> comparisons;
    return comparisons;
}

inline bool AddComparison(std::string subject, std::string reference)
{
    Comparisons().push_back({std::move(subject), std::move(reference)});
    return true;
}

} // namespace qkmbench
