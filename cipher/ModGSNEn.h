#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The program's own 128-bit digest: the structure of the MD5 message digest (padding, length
// field, byte and word order, round functions, message-word order, shifts, chaining) with four
// starting values and 42 of the 64 step constants of its own. Its only user is the question-bank
// key builder. One digest at a time: the state is module-wide.
namespace ModGSNEn {

// The digest of the text's code page 936 bytes as 32 upper-case hexadecimal digits, each word
// lowest byte first. Inputs over 32 767 bytes raise CipherError 6 (overflow).
std::u16string DigestString(std::u16string_view text);

// The starting values of A, B, C, D and the step constants T1..T64 (index 0 is step 1).
struct DigestConstants {
    std::array<std::uint32_t, 4> Start;
    std::array<std::uint32_t, 64> Step;
};

// The constants every question-bank key depends on; they never change.
const DigestConstants& SystemDigestConstants();

// For tests only: digest with other constants (such as those of RFC 1321) until called again
// with nullptr. The constants must outlive their use.
void UseDigestConstantsForTesting(const DigestConstants* constants);

} // namespace ModGSNEn
