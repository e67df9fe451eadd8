// SPDX-License-Identifier: MIT
#include "engine/byte_runs.h"

#include <cstdlib>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vexaro {

// 16 bytes at a time.
int64_t byte_differences(const uint8_t* a, const uint8_t* b, int32_t n) {
  VEXARO_ASSERT(n >= 0);
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
