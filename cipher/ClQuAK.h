#pragma once

#include "ByteArray.h"

#include <array>
#include <cstdint>
#include <string_view>

// Rijndael with block and key sizes chosen independently from 128, 192 and 256 bits (AES for
// 128-bit blocks), used block by block (electronic codebook, no chaining), with zero-padded array
// and file operations and an optional length byte in the last block.
//
// A block of Nb = BlockBits / 32 columns is handled as Nb 32-bit words; word c holds block bytes
// 4c..4c+3 with byte 4c lowest, on every machine.
//
// Errors: illegal sizes and arrays not based at 0 raise CipherError number 1 ("cRijndael. ...");
// an index that leaves no room for a whole block or key raises number 9 before anything is read
// or written. Cipher texts of the wrong length and bad length bytes go to the CipherNotifier and
// come back as results.
class ClQuAK {
public:
    // Builds the round tables; no key is set yet.
    ClQuAK();

    // Sets the key from the first KeyBits / 8 bytes of `pass`, starting at index 0. BlockBits is
    // checked before KeyBits; nothing changes when either is illegal. Result 0.
    std::int32_t SetCipherKey(const ByteArray& pass, std::int32_t KeyBits, std::int32_t BlockBits);
    // The pass phrase's code page 936 bytes, cut or zero-padded to 32 bytes, through SetCipherKey.
    std::int32_t SetCipherKeyString(std::u16string_view PassPhrase, std::int32_t KeyBits, std::int32_t BlockBits);

    // One block of 16, 24 or 32 bytes: read from `plaintext` at array index p and written to
    // `ciphertext` at array index q (the other way round when deciphering). Both may be the same
    // array, with p = q: the whole block is read before anything is written.
    void BlockEncrypt(const ByteArray& plaintext, ByteArray& ciphertext, std::int32_t p, std::int32_t q) const;
    void BlockDecrypt(ByteArray& plaintext, const ByteArray& ciphertext, std::int32_t p, std::int32_t q) const;
    void Block192Encrypt(const ByteArray& plaintext, ByteArray& ciphertext, std::int32_t p, std::int32_t q) const;
    void Block192Decrypt(ByteArray& plaintext, const ByteArray& ciphertext, std::int32_t p, std::int32_t q) const;
    void Block256Encrypt(const ByteArray& plaintext, ByteArray& ciphertext, std::int32_t p, std::int32_t q) const;
    void Block256Decrypt(ByteArray& plaintext, const ByteArray& ciphertext, std::int32_t p, std::int32_t q) const;

    // Whole arrays, block by block. appendsize 0: zero padding to whole blocks. appendsize other
    // than 0: the cipher text always ends in a block whose last byte holds (plain length mod block
    // size). The output array is replaced (zero-based). ArrayDecrypt returns -1 for a cipher text
    // that is not whole blocks (plaintext untouched) and 1 for a bad length byte (plaintext keeps
    // every deciphered byte); 0 otherwise.
    std::int32_t ArrayEncrypt(const ByteArray& plaintext, ByteArray& ciphertext, std::int32_t appendsize,
                              std::int32_t BlockBits) const;
    std::int32_t ArrayDecrypt(ByteArray& plaintext, const ByteArray& ciphertext, std::int32_t appendsize,
                              std::int32_t BlockBits) const;

    // Whole files, always with the length byte, in chunks of BlockBits / 8 * (4000000 \ (BlockBits / 8))
    // bytes. FileDecrypt returns 1 for a cipher file that is empty or not whole blocks; a bad length
    // byte is reported and the whole last piece written, result 0. A missing input file or an output
    // that cannot be written raises CipherError (53, 75, 57); the output file is replaced only once
    // it has been written completely.
    std::int32_t FileEncrypt(std::u16string_view PlaintextFileName, std::u16string_view CiphertextFileName,
                             std::int32_t BlockBits) const;
    std::int32_t FileDecrypt(std::u16string_view PlaintextFileName, std::u16string_view CiphertextFileName,
                             std::int32_t BlockBits) const;

private:
    using Table = std::array<std::uint32_t, 256>;

    // The decryption round keys from the encryption round keys (equivalent inverse cipher).
    void MakeDecryptKeys(std::int32_t Nb);

    // One block at raw byte positions; `in` and `out` may be the same block.
    template <int Nb> void EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const;
    template <int Nb> void DecryptBlock(const std::uint8_t* in, std::uint8_t* out) const;
    // Every whole block of `count` bytes in place, with the block operation of `blockBytes`.
    void EncryptBlocks(std::uint8_t* bytes, std::size_t count, std::size_t blockBytes) const;
    void DecryptBlocks(std::uint8_t* bytes, std::size_t count, std::size_t blockBytes) const;

    Table EncTable0{}, EncTable1{}, EncTable2{}, EncTable3{};
    // S(x) replicated in all four bytes, so the last round needs only masks.
    Table SBox{};
    Table DecTable0{}, DecTable1{}, DecTable2{}, DecTable3{};
    Table InvSBox{};
    std::array<std::uint32_t, 29> RoundConst{};
    std::int32_t Rounds = 0;
    // Up to 8 columns x 15 rounds.
    std::array<std::uint32_t, 120> EncKey{};
    std::array<std::uint32_t, 120> DecKey{};
};
