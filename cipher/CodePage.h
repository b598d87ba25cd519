#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Texts cross into files, the database and the cipher as bytes of the system's ANSI code page,
// code page 936 on the machines the question banks are made for. Text inside the program is
// UTF-16, as the forms and the stored cipher text reader expect (they judge single UTF-16 units).
namespace CodePage {

// UTF-16 text to code page 936 bytes. A character the code page cannot hold becomes "?",
// as the platform's own conversion does; nothing is dropped silently.
std::vector<std::uint8_t> ToAnsi(std::u16string_view text);
std::string ToAnsiString(std::u16string_view text);

// Code page 936 bytes to UTF-16 text. A byte sequence that is not valid becomes U+003F per byte
// that cannot be read, so a damaged file still yields text. NUL bytes are kept as NUL characters.
std::u16string FromAnsi(const std::uint8_t* bytes, std::size_t count);
std::u16string FromAnsi(const std::vector<std::uint8_t>& bytes);
std::u16string FromAnsi(std::string_view bytes);

// UTF-8 helpers for the code below the forms that keeps std::string.
std::u16string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::u16string_view text);

} // namespace CodePage
