// SPDX-License-Identifier: MIT
// Word-at-a-time work over runs of item bytes, shared by the parts of the
// pair scorer: how far two runs agree, whether a run holds a blank, and
// how far apart two runs are byte by byte.
#pragma once

#include <cstdint>
#include <cstring>

#include "common/bits.h"
#include "common/check.h"
#include "scoring/item.h"

namespace vexaro {

// How many leading bytes of a and b agree, up to n, 8 at a time: windows
// are short, and most that share a q-gram differ within a few bytes more.
inline int32_t common_prefix(const uint8_t* a, const uint8_t* b, int32_t n) {
  VEXARO_ASSERT(n >= 0);
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return i + trailing_zeros(x ^ y) / 8;
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// Whether the first L bytes hold a blank.
inline bool holds_blank(const uint8_t* bytes, int32_t L) {
  VEXARO_ASSERT(L >= 0);
  int32_t i = 0;
  for (; i + 8 <= L; i += 8) {
    uint64_t x;
    std::memcpy(&x, bytes + i, 8);
    // A byte of x equal to kBlank (1) makes x ^ 0x0101... have a zero byte.
    const uint64_t y = x ^ 0x0101010101010101u;
    if (((y - 0x0101010101010101u) & ~y & 0x8080808080808080u) != 0) return true;
  }
  for (; i < L; ++i) {
    if (bytes[i] == kBlank) return true;
  }
  return false;
}

// The sum of the differences of the first n bytes of a and b.
int64_t byte_differences(const uint8_t* a, const uint8_t* b, int32_t n);

}  // namespace vexaro
