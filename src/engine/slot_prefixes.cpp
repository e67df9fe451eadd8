// SPDX-License-Identifier: MIT
#include "engine/slot_prefixes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/byte_runs.h"
#include "scoring/score_formula.h"

namespace vexaro {
namespace {

// The differences of the first n <= 64 bytes of two zero-padded lines.
int64_t line_differences(const uint8_t* a, const uint8_t* b, int32_t n) {
#ifdef __SSE2__
  const __m128i count = _mm_set1_epi8(static_cast<char>(n));
  const __m128i offsets = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  __m128i sums = _mm_setzero_si128();
  for (int32_t c = 0; c < n; c += 16) {
    const __m128i keep =
        _mm_cmpgt_epi8(count, _mm_add_epi8(offsets, _mm_set1_epi8(static_cast<char>(c))));
    const __m128i x = _mm_and_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(a + c)), keep);
    const __m128i y = _mm_and_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(b + c)), keep);
    sums = _mm_add_epi64(sums, _mm_sad_epu8(x, y));
  }
  return _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
#else
  int64_t sum = 0;
  for (int32_t i = 0; i < n; ++i) sum += std::abs(a[i] - b[i]);
  return sum;
#endif
}

}  // namespace

SlotPrefixes::SlotPrefixes(const PreparedRecords& records, const RecordStats& stats,
                           const Slots& slots)
    : records_(records),
      min_byte_(stats.min_byte),
      max_byte_(stats.max_byte),
      range_(int64_t{stats.max_byte} - stats.min_byte),
      lines_(slots.size()),
      items_(slots.size()) {
  for (size_t j = 0; j < slots.size(); ++j) {
    const ItemView item = blank_if_empty(records.candidate(slots[j]));
    lines_[j] = first_bytes(item);
    items_[j] = {slots[j], item.length};
  }
}

SlotPrefixes::Line SlotPrefixes::first_bytes(ItemView item) {
  Line line{};
  std::memcpy(line.bytes.data(), item.bytes, std::min(item.length, kWidth));
  return line;
}

void SlotPrefixes::exchange(int32_t i, int32_t j) {
  std::swap(lines_[i], lines_[j]);
  std::swap(items_[i], items_[j]);
}

void SlotPrefixes::load_reference(ItemView reference) {
  reference_ = blank_if_empty(reference);
  reference_line_ = first_bytes(reference_);
}

int32_t SlotPrefixes::score(int32_t j, int32_t best) const {
  const PairLengths lengths = pair_lengths(reference_.length, items_[j].length);
  const int32_t pattern_length = lengths.pattern_length, searched_length = lengths.searched_length;
  // Differences only lower a score when the byte range is positive.
  if (range_ <= 0) return exact_score(j);
  const int64_t D = line_differences(reference_line_.bytes.data(), lines_[j].bytes.data(),
                                     std::min(pattern_length, kWidth));
  // Without dividing: the score is below best + 1 when 1000 (F - T) < (best + 1) F.
  const int64_t T = D + range_ * (searched_length - pattern_length), F = range_ * searched_length;
  if (best >= 0 && T > 0 && (F - T) * 1000 < (int64_t{best} + 1) * F) return best;
  if (pattern_length > kWidth) return exact_score(j);
  return byte_difference_score(D, searched_length, pattern_length, min_byte_, max_byte_);
}

int32_t SlotPrefixes::exact_score(int32_t j) const {
  const ItemView candidate = blank_if_empty(records_.candidate(items_[j].record));
  const PairLengths lengths = pair_lengths(reference_.length, candidate.length);
  const int32_t pattern_length = lengths.pattern_length, searched_length = lengths.searched_length;
  return byte_difference_score(byte_differences(reference_.bytes, candidate.bytes, pattern_length),
                               searched_length, pattern_length, min_byte_, max_byte_);
}

}  // namespace vexaro
