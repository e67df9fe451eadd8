// SPDX-License-Identifier: MIT
// Word-at-a-time helpers over bit sets and byte runs, shared by the parts of
// the pair scorer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "scoring/item.h"

namespace vexaro {

inline void set_bit(uint64_t* bits, int32_t i) { bits[i >> 6] |= uint64_t{1} << (i & 63); }

// Clears bits [from, to), a word at a time.
inline void clear_bits(uint64_t* bits, int32_t from, int32_t to) {
  while (from < to) {
    const int32_t end = std::min(to, ((from >> 6) + 1) << 6);
    const int32_t count = end - from;
    const uint64_t run = count == 64 ? ~uint64_t{0} : ((uint64_t{1} << count) - 1) << (from & 63);
    bits[from >> 6] &= ~run;
    from = end;
  }
}

// The first index at or after `from` whose bit is set in both sets, or -1.
inline int32_t next_common_bit(const uint64_t* a, const uint64_t* b, int32_t from, int32_t words) {
  int32_t w = from >> 6;
  if (w >= words) return -1;
  uint64_t bits = a[w] & b[w] & (~uint64_t{0} << (from & 63));
  while (bits == 0) {
    if (++w >= words) return -1;
    bits = a[w] & b[w];
  }
  return (w << 6) + __builtin_ctzll(bits);
}

// The first index in [from, to) whose bit is clear, or -1.
inline int32_t first_clear_bit(const uint64_t* bits, int32_t from, int32_t to) {
  for (int32_t i = from; i < to;) {
    const uint64_t clear = ~bits[i >> 6] >> (i & 63);
    if (clear != 0) {
      const int32_t found = i + __builtin_ctzll(clear);
      return found < to ? found : -1;
    }
    i = ((i >> 6) + 1) << 6;
  }
  return -1;
}

// The first index in [from, to) whose bit is set, or -1.
inline int32_t first_set_bit(const uint64_t* bits, int32_t from, int32_t to) {
  for (int32_t i = from; i < to;) {
    const uint64_t set = bits[i >> 6] >> (i & 63);
    if (set != 0) {
      const int32_t found = i + __builtin_ctzll(set);
      return found < to ? found : -1;
    }
    i = ((i >> 6) + 1) << 6;
  }
  return -1;
}

// Per 64 values, the bits of those that are not zero.
void nonzero_bits(const int32_t* values, int32_t n, uint64_t* bits);

// How many leading bytes of a and b agree, up to n, 8 at a time: windows
// are short, and most that share a q-gram differ within a few bytes more.
inline int32_t common_prefix(const uint8_t* a, const uint8_t* b, int32_t n) {
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return i + __builtin_ctzll(x ^ y) / 8;
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// Whether the first L bytes hold a blank.
inline bool holds_blank(const uint8_t* bytes, int32_t L) {
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
