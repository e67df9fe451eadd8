// SPDX-License-Identifier: MIT
// Column counts over a stream of bitsets, kept bit-sliced. The gram index
// feeds one bitset per reference byte, a bit per candidate rank, and asks
// per rank how many of them held its bit. A counter per rank would take a
// step per set bit; here the counts of the 64 ranks of a bitset word are
// stored as planes instead, plane k holding bit k of each of the 64
// counts, so that adding a bitset word to all 64 counts is a few word
// operations: a binary addition carried out on all columns at once.
//
// The inputs go eight at a time through a tree of full adders (three
// words in, a sum and a carry word out) into the ones, twos and fours
// planes, whose carry, one word of eights per eight inputs, ripples on
// into the higher planes; two words are counted together in one 128-bit
// vector. Reading back is per plane too: a rank's count takes its bit from
// each plane, and the ranks of a word whose count reaches a need come from
// comparing the planes with the need's bits, highest plane first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "common/bits.h"
#include "common/check.h"

namespace vexaro {

class BitSlicedCounter {
 public:
  static constexpr int kPlanes = 12;  // counts up to 4095, above any item length
  static constexpr int32_t kMostCount = (1 << kPlanes) - 1;

  // Two bitset words, counted together in one vector register.
  using Pair = uint64_t __attribute__((vector_size(16)));
  static constexpr int kPairWords = 2;
  static Pair load_pair(const uint64_t* words) {
    Pair pair;
    std::memcpy(&pair, words, sizeof pair);
    return pair;
  }

  // Room for the counts of `words` bitset words.
  void assign(size_t words) { planes_.assign(words * kPlanes, 0); }

  // Counts, per column of the words from `word` (a pair), how many of
  // `inputs` pairs that next_input() returns in turn have its bit set.
  template <class NextInput>
  void count_pair(int32_t word, int32_t inputs, NextInput&& next_input);

  // As count_pair, for a caller that only cares about counts of `need` or
  // more: gives up on the pair as soon as no column's count can reach it,
  // and then every count of the pair reads 0. Returns whether the counts
  // were completed. Only the planes a count of `inputs` can reach are
  // carried into.
  template <class NextInput>
  bool count_pair_reaching(int32_t word, int32_t inputs, int32_t need, NextInput&& next_input);

  // The last count of a column, which is a rank of the gram index.
  int32_t count(int32_t column) const;
  // The columns of a word whose last count is at least `need`. Counts known
  // to stay below 2^planes need only their low `planes` read.
  uint64_t reaching(int32_t word, int32_t need, int planes = kPlanes) const;
  // The highest last count among `columns` of a word (0 if none), when every
  // count is below 2^planes.
  int32_t most(int32_t word, uint64_t columns, int planes = kPlanes) const;

 private:
  template <int kUsed, class NextInput>
  bool count_up_to(int32_t word, int32_t inputs, int32_t need, NextInput& next_input);
  // A full adder over bit-sliced columns: a + b + c = sum + 2 carry.
  static void add3(Pair& carry, Pair& sum, Pair a, Pair b, Pair c) {
    const Pair u = a ^ b;
    carry = (a & b) | (u & c);
    sum = u ^ c;
  }
  const uint64_t* planes_of(int32_t word) const {
    return &planes_[static_cast<size_t>(word) * kPlanes];
  }

  Bitsets planes_;  // per word: its kPlanes planes
};

// The inputs of a count of covered bytes, a pair of words from `at` on:
// for each byte, the union of the bitsets of the Q windows over it, from a
// window's bitset per start in byte order, then Q-1 empty ones. Each bitset
// is read once: `recent` keeps the Q-1 read last, which lie over the next
// byte too. Called from the counter's input lambda, whose locals then stay
// in registers.
template <int Q>
void load_first_windows(const uint64_t* const* windows, int32_t at,
                        BitSlicedCounter::Pair (&recent)[Q - 1]) {
  for (int k = 0; k < Q - 1; ++k) recent[k] = BitSlicedCounter::load_pair(windows[k] + at);
}
template <int Q>
[[gnu::always_inline]] inline BitSlicedCounter::Pair next_window_union(
    const uint64_t* const*& next_window, int32_t at, BitSlicedCounter::Pair (&recent)[Q - 1]) {
  const BitSlicedCounter::Pair last = BitSlicedCounter::load_pair(*next_window++ + at);
  BitSlicedCounter::Pair x = last;
  for (int k = 0; k < Q - 1; ++k) x |= recent[k];
  for (int k = 0; k + 1 < Q - 1; ++k) recent[k] = recent[k + 1];
  recent[Q - 2] = last;
  return x;
}

template <class NextInput>
void BitSlicedCounter::count_pair(int32_t word, int32_t inputs, NextInput&& next_input) {
  VEXARO_ASSERT(word % kPairWords == 0 && inputs <= kMostCount);
  VEXARO_ASSERT(static_cast<size_t>(word + kPairWords) * kPlanes <= planes_.size());
  Pair ones{}, twos{}, fours{};
  Pair high[kPlanes - 3] = {};
  auto carry_up = [&](Pair carry) {
    for (int k = 0; k < kPlanes - 3; ++k) {
      const Pair next = high[k] & carry;
      high[k] ^= carry;
      carry = next;
    }
  };
  int32_t b = 0;
  for (; b + 8 <= inputs; b += 8) {
    Pair twos_a, twos_b, fours_a, fours_b, eights;
    Pair x[8];
    for (Pair& each : x) each = next_input();
    add3(twos_a, ones, ones, x[0], x[1]);
    add3(twos_b, ones, ones, x[2], x[3]);
    add3(fours_a, twos, twos, twos_a, twos_b);
    add3(twos_a, ones, ones, x[4], x[5]);
    add3(twos_b, ones, ones, x[6], x[7]);
    add3(fours_b, twos, twos, twos_a, twos_b);
    add3(eights, fours, fours, fours_a, fours_b);
    carry_up(eights);
  }
  for (; b < inputs; ++b) {
    Pair x = next_input();
    for (Pair* plane : {&ones, &twos, &fours}) {
      const Pair next = *plane & x;
      *plane ^= x;
      x = next;
    }
    carry_up(x);
  }
  for (int i = 0; i < kPairWords; ++i) {
    uint64_t* planes = &planes_[static_cast<size_t>(word + i) * kPlanes];
    planes[0] = ones[i];
    planes[1] = twos[i];
    planes[2] = fours[i];
    for (int k = 3; k < kPlanes; ++k) planes[k] = high[k - 3][i];
  }
}

template <class NextInput>
bool BitSlicedCounter::count_pair_reaching(int32_t word, int32_t inputs, int32_t need,
                                           NextInput&& next_input) {
  VEXARO_ASSERT(word % kPairWords == 0 && inputs <= kMostCount);
  VEXARO_ASSERT(static_cast<size_t>(word + kPairWords) * kPlanes <= planes_.size());
  int planes = 3;  // the planes a count of `inputs` reaches, at least the fours
  while (planes < kPlanes && (inputs >> planes) != 0) ++planes;
  // A fixed number of planes keeps them in registers.
  switch (planes) {
    case 3:
      return count_up_to<3>(word, inputs, need, next_input);
    case 4:
      return count_up_to<4>(word, inputs, need, next_input);
    case 5:
      return count_up_to<5>(word, inputs, need, next_input);
    case 6:
      return count_up_to<6>(word, inputs, need, next_input);
    case 7:
      return count_up_to<7>(word, inputs, need, next_input);
    case 8:
      return count_up_to<8>(word, inputs, need, next_input);
    default:
      return count_up_to<kPlanes>(word, inputs, need, next_input);
  }
}

template <int kUsed, class NextInput>
bool BitSlicedCounter::count_up_to(int32_t word, int32_t inputs, int32_t need,
                                   NextInput& next_input) {
  Pair planes[kUsed] = {};
  auto carry_up = [&](Pair carry) {
    for (int k = 3; k < kUsed; ++k) {
      const Pair next = planes[k] & carry;
      planes[k] ^= carry;
      carry = next;
    }
  };
  // Whether some column's count so far is `least` or more, compared plane
  // by plane from the highest, as reaching does.
  auto some_reach = [&](int32_t least) {
    Pair above{}, equal = ~Pair{};
    for (int k = kUsed - 1; k >= 0; --k) {
      if ((least >> k) & 1) {
        equal &= planes[k];
      } else {
        above |= equal & planes[k];
        equal &= ~planes[k];
      }
    }
    const Pair reached = above | equal;
    return (reached[0] | reached[1]) != 0;
  };
  bool completed = true;
  int32_t b = 0;
  for (; b + 8 <= inputs; b += 8) {
    Pair twos_a, twos_b, fours_a, fours_b, eights;
    Pair x[8];
    for (Pair& each : x) each = next_input();
    add3(twos_a, planes[0], planes[0], x[0], x[1]);
    add3(twos_b, planes[0], planes[0], x[2], x[3]);
    add3(fours_a, planes[1], planes[1], twos_a, twos_b);
    add3(twos_a, planes[0], planes[0], x[4], x[5]);
    add3(twos_b, planes[0], planes[0], x[6], x[7]);
    add3(fours_b, planes[1], planes[1], twos_a, twos_b);
    add3(eights, planes[2], planes[2], fours_a, fours_b);
    carry_up(eights);
    const int32_t lacking = need - (inputs - b - 8);  // what a column must hold by now
    if (lacking > 0 && !some_reach(lacking)) {
      completed = false;
      break;
    }
  }
  for (; completed && b < inputs; ++b) {
    Pair x = next_input();
    for (int k = 0; k < 3; ++k) {
      const Pair next = planes[k] & x;
      planes[k] ^= x;
      x = next;
    }
    carry_up(x);
  }
  for (int i = 0; i < kPairWords; ++i) {
    uint64_t* out = &planes_[static_cast<size_t>(word + i) * kPlanes];
    for (int k = 0; k < kUsed; ++k) out[k] = completed ? planes[k][i] : 0;
    for (int k = kUsed; k < kPlanes; ++k) out[k] = 0;
  }
  return completed;
}

inline int32_t BitSlicedCounter::count(int32_t column) const {
  const uint64_t* planes = planes_of(word_of_bit(column));
  int32_t count = 0;
#ifdef __SSE2__
  // Two planes at a time: the column's bit moved to the top, where a sign
  // mask reads it.
  static_assert(kPlanes % 2 == 0);
  const __m128i up = _mm_cvtsi32_si128(kPlaceMask - place_of_bit(column));
  for (int k = 0; k < kPlanes; k += 2) {
    const __m128i pair = _mm_loadu_si128(reinterpret_cast<const __m128i*>(planes + k));
    count |= _mm_movemask_pd(_mm_castsi128_pd(_mm_sll_epi64(pair, up))) << k;
  }
#else
  for (int k = 0; k < kPlanes; ++k)
    count |= static_cast<int32_t>(test_bit(planes + k, place_of_bit(column))) << k;
#endif
  return count;
}

inline uint64_t BitSlicedCounter::reaching(int32_t word, int32_t need, int used) const {
  if (need <= 0) return ~uint64_t{0};
  if ((need >> used) != 0) return 0;
  const uint64_t* planes = planes_of(word);
  uint64_t above = 0, equal = ~uint64_t{0};
  for (int k = used - 1; k >= 0; --k) {
    if ((need >> k) & 1) {
      equal &= planes[k];
    } else {
      above |= equal & planes[k];
      equal &= ~planes[k];
    }
  }
  return above | equal;
}

inline int32_t BitSlicedCounter::most(int32_t word, uint64_t columns, int planes) const {
  VEXARO_ASSERT(planes >= 0 && planes <= kPlanes);
  const uint64_t* each = planes_of(word);
  int32_t most = 0;
  // Highest plane first: the columns set there have the higher counts.
  for (int k = planes - 1; k >= 0 && columns != 0; --k) {
    const uint64_t set = columns & each[k];
    if (set != 0) {
      columns = set;
      most |= 1 << k;
    }
  }
  return most;
}

}  // namespace vexaro
