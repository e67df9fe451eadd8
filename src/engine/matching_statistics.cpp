// SPDX-License-Identifier: MIT
#include "engine/matching_statistics.h"

#include <algorithm>
#include <cstring>

#include "common/bits.h"
#include "common/check.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vexaro {
namespace {

// Per 64 values, the bits of those that are not zero; `values` is read in
// whole words of 64.
void nonzero_bits(const int32_t* values, int32_t n, uint64_t* bits) {
  for (int32_t w = 0; w < words_for(n); ++w) {
    const int32_t* word_values = values + w * kWordBits;
    uint64_t word = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (int c = 0; c < 4; ++c) {
      const __m128i* at = reinterpret_cast<const __m128i*>(word_values + c * 16);
      const __m128i low = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(at), zero),
                                          _mm_cmpeq_epi32(_mm_loadu_si128(at + 1), zero));
      const __m128i high = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(at + 2), zero),
                                           _mm_cmpeq_epi32(_mm_loadu_si128(at + 3), zero));
      const uint32_t zeros = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
      word |= static_cast<uint64_t>(~zeros & 0xFFFF) << (c * 16);
    }
#else
    for (int i = 0; i < kWordBits; ++i) word |= static_cast<uint64_t>(word_values[i] != 0) << i;
#endif
    bits[w] = word & low_bits(std::min(n - w * kWordBits, kWordBits));
  }
}

}  // namespace

void MatchingStatistics::measure_blank_free(ItemView pattern, bool may_hold_blanks) {
  has_blank = may_hold_blanks ? std::memchr(pattern.bytes, kBlank, pattern.length) != nullptr
                              : pattern.length == 1 && pattern.bytes[0] == kBlank;
  if (!has_blank) return;
  blank_free[pattern.length] = 0;
  for (int32_t P = pattern.length - 1, run = 0; P >= 0; --P) {
    run = pattern.bytes[P] == kBlank ? 0 : run + 1;
    blank_free[P] = run;
  }
}

void MatchingStatistics::alive_bits(int32_t pattern_length, uint64_t* bits) const {
  VEXARO_ASSERT(pattern_length >= 1 && pattern_length <= kMaxPrepared);
  if (has_blank) {
    nonzero_bits(blank_free.data(), pattern_length, bits);
    return;
  }
  std::fill_n(bits, pattern_length / kWordBits, ~uint64_t{0});
  if (const int32_t rest = pattern_length % kWordBits; rest != 0)
    bits[pattern_length / kWordBits] = low_bits(rest);
}

// The longest piece from P ends at the last i whose longest occurring piece
// ending at i starts at or before P. Those starts never decrease, so each i
// is marked at its start (a later i overwrites an earlier one), and the
// last i up to P is a running maximum; i = P - 1 starts at P at the latest.
// Branch-free: pieces change length unpredictably.
void MatchingStatistics::ensure_starts(int32_t pattern_length) {
  if (starts_made) return;
  VEXARO_ASSERT(pattern_length >= 1 && pattern_length <= kMaxPrepared);
  starts_made = true;
  int32_t* last_end = start_len.data();
  std::fill_n(last_end, pattern_length + 1, -1);
  for (int32_t i = 0; i < pattern_length; ++i) last_end[i - end_len[i] + 1] = i;
  for (int32_t P = 0, end = -1; P < pattern_length; ++P) {
    end = std::max(end, last_end[P]);
    start_len[P] = end - P + 1;
  }
}

// Compared four at a time: a piece goes on from i to i+1 when it is one
// byte longer there.
const uint64_t* MatchingStatistics::group_ends(int32_t pattern_length) const {
  std::fill_n(group_ends_.begin(), words_for(pattern_length), 0);
  int32_t i = 0;
#ifdef __SSE2__
  const __m128i one = _mm_set1_epi32(1);
  for (; i + 4 < pattern_length; i += 4) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&end_len[i]));
    const __m128i there = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&end_len[i + 1]));
    const __m128i goes_on = _mm_cmpeq_epi32(_mm_sub_epi32(there, here), one);
    const uint64_t ends = ~static_cast<uint64_t>(_mm_movemask_ps(_mm_castsi128_ps(goes_on))) & 15;
    set_bits_at(group_ends_.data(), i, ends);
  }
#endif
  for (; i < pattern_length; ++i) {
    if (i + 1 == pattern_length || end_len[i + 1] != end_len[i] + 1) set_bit(group_ends_.data(), i);
  }
  return group_ends_.data();
}

}  // namespace vexaro
