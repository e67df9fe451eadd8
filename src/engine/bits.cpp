// SPDX-License-Identifier: MIT
#include "engine/bits.h"

#include <cstdlib>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vexaro {

void nonzero_bits(const int32_t* values, int32_t n, uint64_t* bits) {
  for (int32_t w = 0; w * 64 < n; ++w) {
    uint64_t word = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (int c = 0; c < 4; ++c) {
      const __m128i* at = reinterpret_cast<const __m128i*>(values + w * 64 + c * 16);
      const __m128i low = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(at), zero),
                                          _mm_cmpeq_epi32(_mm_loadu_si128(at + 1), zero));
      const __m128i high = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(at + 2), zero),
                                           _mm_cmpeq_epi32(_mm_loadu_si128(at + 3), zero));
      const uint32_t zeros = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
      word |= static_cast<uint64_t>(~zeros & 0xFFFF) << (c * 16);
    }
#else
    for (int i = 0; i < 64; ++i) word |= static_cast<uint64_t>(values[w * 64 + i] != 0) << i;
#endif
    const int32_t valid = std::min(n - w * 64, 64);
    bits[w] = valid == 64 ? word : word & ((uint64_t{1} << valid) - 1);
  }
}

// 16 bytes at a time.
int64_t byte_differences(const uint8_t* a, const uint8_t* b, int32_t n) {
  int64_t sum = 0;
  int32_t i = 0;
#ifdef __SSE2__
  __m128i sums = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    sums = _mm_add_epi64(sums, _mm_sad_epu8(x, y));
  }
  sum = _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
#endif
  for (; i < n; ++i) sum += std::abs(a[i] - b[i]);
  return sum;
}

}  // namespace vexaro
