#include "host/common/sha256.h"

#include <stdint.h>
#include <string.h>

#if defined(__x86_64__) && defined(__GNUC__)
#include <cpuid.h>
#include <immintrin.h>
#define KX_SHA256_EXTENSIONS 1
#endif

namespace {

const uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

inline uint32_t Rotate(uint32_t value, int bits) {
    return (value >> bits) | (value << (32 - bits));
}

// One round: d and h take the new e and a.
inline void Round(uint32_t a, uint32_t b, uint32_t c, uint32_t& d, uint32_t e, uint32_t f, uint32_t g, uint32_t& h,
                  uint32_t constantAndWord) {
    const uint32_t t1 = h + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) + ((e & f) ^ (~e & g)) + constantAndWord;
    const uint32_t t2 = (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    d += t1;
    h = t1 + t2;
}

void Compress(uint32_t state[8], const unsigned char block[64]) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i) {
        w[i] = static_cast<uint32_t>(block[4 * i]) << 24 | static_cast<uint32_t>(block[4 * i + 1]) << 16 |
               static_cast<uint32_t>(block[4 * i + 2]) << 8 | static_cast<uint32_t>(block[4 * i + 3]);
    }
    for (int i = 16; i < 64; ++i) {
        const uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    // Eight rounds per pass, the working variables renamed from round to
    // round instead of moved.
    for (int i = 0; i < 64; i += 8) {
        Round(a, b, c, d, e, f, g, h, kRoundConstants[i] + w[i]);
        Round(h, a, b, c, d, e, f, g, kRoundConstants[i + 1] + w[i + 1]);
        Round(g, h, a, b, c, d, e, f, kRoundConstants[i + 2] + w[i + 2]);
        Round(f, g, h, a, b, c, d, e, kRoundConstants[i + 3] + w[i + 3]);
        Round(e, f, g, h, a, b, c, d, kRoundConstants[i + 4] + w[i + 4]);
        Round(d, e, f, g, h, a, b, c, kRoundConstants[i + 5] + w[i + 5]);
        Round(c, d, e, f, g, h, a, b, kRoundConstants[i + 6] + w[i + 6]);
        Round(b, c, d, e, f, g, h, a, kRoundConstants[i + 7] + w[i + 7]);
    }
    const uint32_t v[8] = {a, b, c, d, e, f, g, h};
    for (int i = 0; i < 8; ++i) {
        state[i] += v[i];
    }
}

typedef void (*CompressBlocks)(uint32_t state[8], const unsigned char* blocks, size_t count);

void CompressPortable(uint32_t state[8], const unsigned char* blocks, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        Compress(state, blocks + 64 * i);
    }
}

#if KX_SHA256_EXTENSIONS
// The processor's SHA extensions: four rounds per pair of instructions, the
// state held as ABEF and CDGH, the message schedule by sha256msg1/msg2.
__attribute__((target("sha,sse4.1,ssse3"))) void CompressWithExtensions(uint32_t state[8], const unsigned char* blocks,
                                                                        size_t count) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
    __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
    for (size_t block = 0; block < count; ++block) {
        const unsigned char* bytes = blocks + 64 * block;
        const __m128i abefBefore = abef;
        const __m128i cdghBefore = cdgh;
        __m128i words[4];
        for (int group = 0; group < 16; ++group) {
            __m128i& current = words[group % 4];
            if (group < 4) {
                current =
                    _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * group)), byteSwap);
            } else {
                const __m128i& last = words[(group + 3) % 4];
                const __m128i& beforeLast = words[(group + 2) % 4];
                current = _mm_sha256msg2_epu32(_mm_add_epi32(_mm_sha256msg1_epu32(current, words[(group + 1) % 4]),
                                                             _mm_alignr_epi8(last, beforeLast, 4)),
                                               last);
            }
            __m128i message =
                _mm_add_epi32(current, _mm_loadu_si128(reinterpret_cast<const __m128i*>(&kRoundConstants[4 * group])));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
            message = _mm_shuffle_epi32(message, 0x0E);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    dcba = _mm_blend_epi16(feba, dchg, 0xF0);
    hgfe = _mm_alignr_epi8(dchg, feba, 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), dcba);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), hgfe);
}

bool HasShaExtensions() {
    unsigned int a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d) || (c & bit_SSE4_1) == 0 || (c & bit_SSSE3) == 0) {
        return false;
    }
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_SHA) != 0;
}
#endif

// The portable rounds do some 50 instructions a byte; a plug-in binary is
// hashed on every kxpsui-host run, so the processor's own rounds serve where
// it has them.
CompressBlocks FastestCompress() {
#if KX_SHA256_EXTENSIONS
    if (HasShaExtensions()) {
        return CompressWithExtensions;
    }
#endif
    return CompressPortable;
}

std::string Digest(const void* data, size_t size, CompressBlocks compressBlocks) {
    uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                         0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    const size_t whole = size - size % 64;
    compressBlocks(state, bytes, whole / 64);
    // The rest, a 1 bit, zeros and the length in bits fill one or two blocks.
    unsigned char tail[128] = {};
    const size_t rest = size - whole;
    if (rest > 0) {
        memcpy(tail, bytes + whole, rest);
    }
    tail[rest] = 0x80;
    const size_t tailSize = rest < 56 ? 64 : 128;
    const uint64_t bits = static_cast<uint64_t>(size) * 8;
    for (int i = 0; i < 8; ++i) {
        tail[tailSize - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    }
    compressBlocks(state, tail, tailSize / 64);
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (uint32_t word : state) {
        for (int shift = 28; shift >= 0; shift -= 4) {
            hex += kDigits[(word >> shift) & 0xF];
        }
    }
    return hex;
}

}  // namespace

std::string Sha256Hex(const void* data, size_t size) {
    static const CompressBlocks compressBlocks = FastestCompress();
    return Digest(data, size, compressBlocks);
}

std::string Sha256HexPortable(const void* data, size_t size) {
    return Digest(data, size, CompressPortable);
}
