#pragma once

#include "ByteArray.h"
#include "ClQuAK.h"

#include <cstdint>
#include <string>
#include <string_view>

// The stored form of question-bank texts: the text's code page 936 bytes enciphered with Rijndael
// (256-bit key and block, electronic codebook, zero padding, no length byte) under the question-bank
// key, written as upper-case hexadecimal, two digits a byte, with two spaces between consecutive
// 32-byte groups. Equal plain texts give equal stored texts, so stored texts can be compared as they are.

// The database password of the question bank (14 characters); the connection string carries it.
extern const char16_t kQuestionBankPassword[];

// The 32-byte question-bank key, built from two texts kept in the program through ModGSNEn. It is
// stored nowhere; every question bank is enciphered under it.
ByteArray GetQuestionKey();

// The first `count` bytes of `bytes` as hexadecimal digit pairs, high digit first, with two spaces
// before every group of `groupSize` bytes but the first. An array whose first index is not 0 gives
// the empty text; `count` 0 or less gives the empty text. A `count` beyond the array raises
// CipherError 9 and a `groupSize` of 0 CipherError 11, before anything is read.
std::u16string BytesToHex(const ByteArray& bytes, std::int32_t count, std::int32_t groupSize);

// Reads hexadecimal digit pairs (either case) into `bytes`, replacing its content. Each character
// counts by the low eight bits of its code; characters that are not digits are skipped and do not
// break a pair; a last unpaired digit is dropped. Returns the number of bytes read (0 leaves
// `bytes` empty).
std::int32_t HexToBytes(std::u16string_view hexText, ByteArray& bytes);

// A text in stored form: keys `cipher` with `key` (256-bit key and block) and enciphers the text's
// code page 936 bytes. The empty text gives the empty string.
std::u16string EncipherQuestionText(ClQuAK& cipher, const ByteArray& key, std::u16string_view plain);

// A stored text taken back: leading and trailing spaces are ignored; false when no byte can be read
// from it or when its bytes are not whole 32-byte blocks (the cipher reports that through its
// notifier). On success `plain` receives the text including the NUL characters of the zero padding
// at its end, which the caller removes; on failure `plain` is left as it was.
bool DecipherQuestionText(ClQuAK& cipher, const ByteArray& key, std::u16string_view stored, std::u16string& plain);
