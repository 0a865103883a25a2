/* Crc32.c: CRC-32 by folding 64 bytes at a time with carry-less multiplication on x86
   (Gopal, Ozturk et al., "Fast CRC Computation for Generic Polynomials Using PCLMULQDQ
   Instruction", Intel, 2009), zlib's table-driven crc32 for the rest and elsewhere.
   Decoding checks every output byte against the trailer, and zlib's crc32 takes a tenth of
   the whole decoding time; the folding takes a third of that. */
#include "Crc32.h"

#include <zlib.h>

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <immintrin.h>
#define CRC32_CAN_FOLD 1
#endif

#ifdef CRC32_CAN_FOLD

enum { FOLD_BLOCK = 64, FOLD_STEP = 16 };

/* The bit-reflected constants of the paper for the polynomial 0x04C11DB7: x^(4*128+64)
   and x^(4*128) mod P for folding 512 bits, x^(128+64) and x^128 for folding 128 bits,
   x^96 for folding to 64 bits, then P and its Barrett constant. */
static const uint64_t kFold512[2] __attribute__((aligned(16))) = {0x0154442bd4, 0x01c6e41596};
static const uint64_t kFold128[2] __attribute__((aligned(16))) = {0x01751997d0, 0x00ccaa009e};
static const uint64_t kFold64[2] __attribute__((aligned(16))) = {0x0163cd6124, 0x0000000000};
static const uint64_t kBarrett[2] __attribute__((aligned(16))) = {0x01db710641, 0x01f7011641};

static __attribute__((target("pclmul,sse4.1"))) __m128i FoldInto(__m128i folded, __m128i next,
                                                                 __m128i constants) {
    __m128i low = _mm_clmulepi64_si128(folded, constants, 0x00);
    __m128i high = _mm_clmulepi64_si128(folded, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(high, low), next);
}

/* The CRC register (not inverted) over `length` bytes, a multiple of 16 and at least 64. */
static __attribute__((target("pclmul,sse4.1"))) uint32_t Fold(uint32_t crc, const uint8_t* data,
                                                              size_t length) {
    const __m128i mask32 = _mm_setr_epi32(~0, 0, ~0, 0);
    __m128i constants = _mm_load_si128((const __m128i*)kFold512);
    __m128i x1 = _mm_loadu_si128((const __m128i*)(data + 0x00));
    __m128i x2 = _mm_loadu_si128((const __m128i*)(data + 0x10));
    __m128i x3 = _mm_loadu_si128((const __m128i*)(data + 0x20));
    __m128i x4 = _mm_loadu_si128((const __m128i*)(data + 0x30));
    __m128i product;

    x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128((int)crc));
    for (data += FOLD_BLOCK, length -= FOLD_BLOCK; length >= FOLD_BLOCK;
         data += FOLD_BLOCK, length -= FOLD_BLOCK) {
        x1 = FoldInto(x1, _mm_loadu_si128((const __m128i*)(data + 0x00)), constants);
        x2 = FoldInto(x2, _mm_loadu_si128((const __m128i*)(data + 0x10)), constants);
        x3 = FoldInto(x3, _mm_loadu_si128((const __m128i*)(data + 0x20)), constants);
        x4 = FoldInto(x4, _mm_loadu_si128((const __m128i*)(data + 0x30)), constants);
    }

    constants = _mm_load_si128((const __m128i*)kFold128);
    x1 = FoldInto(x1, x2, constants);
    x1 = FoldInto(x1, x3, constants);
    x1 = FoldInto(x1, x4, constants);
    for (; length >= FOLD_STEP; data += FOLD_STEP, length -= FOLD_STEP)
        x1 = FoldInto(x1, _mm_loadu_si128((const __m128i*)data), constants);

    /* 128 bits to 64 */
    product = _mm_clmulepi64_si128(x1, constants, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), product);
    constants = _mm_loadl_epi64((const __m128i*)kFold64);
    product = _mm_srli_si128(x1, 4);
    x1 = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), constants, 0x00);
    x1 = _mm_xor_si128(x1, product);

    /* Barrett reduction to 32 bits */
    constants = _mm_load_si128((const __m128i*)kBarrett);
    product = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), constants, 0x10);
    product = _mm_clmulepi64_si128(_mm_and_si128(product, mask32), constants, 0x00);
    x1 = _mm_xor_si128(x1, product);
    return (uint32_t)_mm_extract_epi32(x1, 1);
}

static int CanFold(void) {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

#endif

uint32_t UpdateCrc32(uint32_t crc, const uint8_t* data, size_t length) {
#ifdef CRC32_CAN_FOLD
    if (length >= FOLD_BLOCK && CanFold()) {
        size_t folded = length & ~(size_t)(FOLD_STEP - 1);
        /* zlib's CRC is the register inverted before and after. */
        crc = ~Fold(~crc, data, folded);
        data += folded;
        length -= folded;
    }
#endif
    return (uint32_t)crc32(crc, data, (uInt)length);
}
