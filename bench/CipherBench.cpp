// ClQuAK's table-driven Rijndael beside OpenSSL's AES-128-ECB on the same key and bytes. The
// benchmark's main runs the OpenSSL cases a second time in a child process with AES-NI and SSSE3
// masked, where OpenSSL falls back to its own table-driven AES (see BenchMain.cpp).
#include "BenchSupport.h"
#include "ClQuAK.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr std::size_t kArrayBytes = 64 * 1024;

ByteArray Key()
{
    return ByteArray(qkmbench::PatternBytes(32, 0x2545F491u));
}

void ClQuAK_BlockEncrypt(benchmark::State& state, int bits)
{
    ClQuAK cipher;
    cipher.SetCipherKey(Key(), bits, bits);
    const auto bs = static_cast<std::size_t>(bits / 8);
    const ByteArray plain(qkmbench::PatternBytes(bs));
    ByteArray enciphered(bs);
    for (auto _ : state) {
        if (bits == 128) {
            cipher.BlockEncrypt(plain, enciphered, 0, 0);
        } else {
            cipher.Block256Encrypt(plain, enciphered, 0, 0);
        }
        benchmark::DoNotOptimize(enciphered.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bs));
}

void ClQuAK_ArrayEncrypt(benchmark::State& state, int bits)
{
    ClQuAK cipher;
    cipher.SetCipherKey(Key(), bits, bits);
    const ByteArray plain(qkmbench::PatternBytes(kArrayBytes));
    ByteArray enciphered;
    for (auto _ : state) {
        cipher.ArrayEncrypt(plain, enciphered, 0, bits);
        benchmark::DoNotOptimize(enciphered.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kArrayBytes));
}

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

// AES-128-ECB through EVP, `count` bytes per call (16: one block per call, as BlockEncrypt).
void OpenSSL_AES128_ECB(benchmark::State& state, std::size_t count)
{
    state.SetLabel(std::getenv("OPENSSL_ia32cap") != nullptr ? "AES-NI/SSSE3 masked: table-driven"
                                                             : "default (AES-NI)");
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> ctx(EVP_CIPHER_CTX_new());
    const ByteArray key = Key();
    if (!ctx || EVP_EncryptInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key.data(), nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1) {
        state.SkipWithError("OpenSSL refused AES-128-ECB");
        return;
    }
    const std::vector<std::uint8_t> plain = qkmbench::PatternBytes(count);
    std::vector<std::uint8_t> enciphered(count);

    // Both sides must compute the same thing for the comparison to mean anything.
    ClQuAK reference;
    reference.SetCipherKey(key, 128, 128);
    ByteArray expected;
    reference.ArrayEncrypt(ByteArray(plain), expected, 0, 128);
    int written = 0;
    if (EVP_EncryptUpdate(ctx.get(), enciphered.data(), &written, plain.data(), static_cast<int>(count)) != 1 ||
        enciphered != expected.Bytes()) {
        state.SkipWithError("OpenSSL and ClQuAK disagree");
        return;
    }

    for (auto _ : state) {
        EVP_EncryptUpdate(ctx.get(), enciphered.data(), &written, plain.data(), static_cast<int>(count));
        benchmark::DoNotOptimize(enciphered.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * count));
}

BENCHMARK_CAPTURE(ClQuAK_BlockEncrypt, Block128Key128, 128);
BENCHMARK_CAPTURE(ClQuAK_BlockEncrypt, Block256Key256, 256);
BENCHMARK_CAPTURE(ClQuAK_ArrayEncrypt, Block128Key128_64KiB, 128);
BENCHMARK_CAPTURE(ClQuAK_ArrayEncrypt, Block256Key256_64KiB, 256);
BENCHMARK_CAPTURE(OpenSSL_AES128_ECB, OneBlock, 16);
BENCHMARK_CAPTURE(OpenSSL_AES128_ECB, Bytes_64KiB, kArrayBytes);

} // namespace

namespace {

const bool gComparisons[] = {
    qkmbench::AddComparison("ClQuAK_BlockEncrypt/Block128Key128", "OpenSSL_AES128_ECB/OneBlock"),
    qkmbench::AddComparison("ClQuAK_ArrayEncrypt/Block128Key128_64KiB", "OpenSSL_AES128_ECB/Bytes_64KiB"),
    qkmbench::AddComparison("ClQuAK_BlockEncrypt/Block256Key256", "OpenSSL_AES128_ECB/OneBlock"),
    qkmbench::AddComparison("ClQuAK_ArrayEncrypt/Block256Key256_64KiB", "OpenSSL_AES128_ECB/Bytes_64KiB"),
};

} // namespace
