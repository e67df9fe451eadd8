// SPDX-License-Identifier: MIT
// Bit sets held in 64-bit words, and what is done with them a word at a
// time. Bit i of a set lies in word i / 64, at place i % 64 of it. Every
// shift-and-mask of a bit index and every compiler bit builtin of the
// project is here, so that the rest reads as set, test and visit.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <vector>

#include "common/check.h"

namespace vexaro {

inline constexpr int kWordBits = 64;               // bits per word
inline constexpr int kLineBytes = 64;              // a cache line
inline constexpr int kLineWords = kLineBytes / 8;  // words per cache line
inline constexpr int kWordShift = 6;               // i >> kWordShift is i / kWordBits
inline constexpr int kPlaceMask = kWordBits - 1;   // i & kPlaceMask is i % kWordBits
static_assert(kWordBits == 1 << kWordShift);

template <std::integral I>
constexpr bool is_bit_index(I i) {
  if constexpr (std::is_signed_v<I>) {
    return i >= 0;
  } else {
    return true;
  }
}

// The words that hold `bits` bits.
template <std::integral N>
constexpr N words_for(N bits) {
  return static_cast<N>((bits + kWordBits - 1) / kWordBits);
}

// The word of bit i, its place in that word, and its mask there.
template <std::integral I>
constexpr I word_of_bit(I i) {
  VEXARO_ASSERT(is_bit_index(i));
  return i >> kWordShift;
}
template <std::integral I>
constexpr int place_of_bit(I i) {
  return static_cast<int>(i & kPlaceMask);
}
template <std::integral I>
constexpr uint64_t mask_of_bit(I i) {
  return uint64_t{1} << place_of_bit(i);
}

template <std::integral I>
inline void set_bit(uint64_t* words, I i) {
  words[word_of_bit(i)] |= mask_of_bit(i);
}
template <std::integral I>
inline void clear_bit(uint64_t* words, I i) {
  words[word_of_bit(i)] &= ~mask_of_bit(i);
}
template <std::integral I>
inline bool test_bit(const uint64_t* words, I i) {
  return ((words[word_of_bit(i)] >> place_of_bit(i)) & 1) != 0;
}
// Ors `value` into the word of bit i from bit i up; `value` must fit there.
template <std::integral I>
inline void set_bits_at(uint64_t* words, I i, uint64_t value) {
  VEXARO_ASSERT(((value << place_of_bit(i)) >> place_of_bit(i)) == value);
  words[word_of_bit(i)] |= value << place_of_bit(i);
}

// The `count` lowest bits of a mask, 1 <= count <= its width.
template <class Mask = uint64_t>
constexpr Mask low_bits(int count) {
  VEXARO_ASSERT(count >= 1 && count <= static_cast<int>(8 * sizeof(Mask)));
  return ~Mask{0} >> (8 * sizeof(Mask) - count);
}
// The bits of i's word up to and with bit i.
template <std::integral I>
constexpr uint64_t bits_through(I i) {
  return ~uint64_t{0} >> (kPlaceMask - place_of_bit(i));
}

// The only calls of the compiler's builtins: bit counts of one word. The
// zero counts need a word that is not zero.
inline int count_ones(uint64_t word) { return __builtin_popcountll(word); }
inline int trailing_zeros(uint64_t word) {
  VEXARO_ASSERT(word != 0);
  return __builtin_ctzll(word);
}
inline int trailing_zeros(unsigned __int128 word) {
  VEXARO_ASSERT(word != 0);
  const uint64_t low = static_cast<uint64_t>(word);
  return low != 0 ? __builtin_ctzll(low)
                  : kWordBits + __builtin_ctzll(static_cast<uint64_t>(word >> kWordBits));
}
inline int leading_zeros(uint64_t word) {
  VEXARO_ASSERT(word != 0);
  return __builtin_clzll(word);
}
// The place of the highest set bit of a word that is not zero.
inline int highest_bit(uint64_t word) { return kPlaceMask - leading_zeros(word); }

// Calls visit(place) for each set bit of the word, lowest first.
template <class Visit>
inline void for_each_bit(uint64_t word, Visit&& visit) {
  for (; word != 0; word &= word - 1) visit(trailing_zeros(word));
}
// Calls visit(i) for each set bit i of the first `count` words, lowest first.
template <std::integral N, class Visit>
inline void for_each_bit(const uint64_t* words, N count, Visit&& visit) {
  for (N w = 0; w < count; ++w) {
    for_each_bit(words[w], [&](int place) { visit(w * kWordBits + place); });
  }
}

// Clears bits [from, to), a word at a time.
inline void clear_bits(uint64_t* words, int32_t from, int32_t to) {
  VEXARO_ASSERT(from >= 0);
  while (from < to) {
    const int32_t end = std::min(to, (word_of_bit(from) + 1) * kWordBits);
    words[word_of_bit(from)] &= ~(low_bits(end - from) << place_of_bit(from));
    from = end;
  }
}

// The first index in [from, to) whose bit is set, or -1.
inline int32_t first_set_bit(const uint64_t* words, int32_t from, int32_t to) {
  VEXARO_ASSERT(from >= 0);
  for (int32_t i = from; i < to;) {
    const uint64_t set = words[word_of_bit(i)] >> place_of_bit(i);
    if (set != 0) {
      const int32_t found = i + trailing_zeros(set);
      return found < to ? found : -1;
    }
    i = (word_of_bit(i) + 1) * kWordBits;
  }
  return -1;
}

// The first index in [from, to) whose bit is clear, or -1.
inline int32_t first_clear_bit(const uint64_t* words, int32_t from, int32_t to) {
  VEXARO_ASSERT(from >= 0);
  for (int32_t i = from; i < to;) {
    const uint64_t clear = ~words[word_of_bit(i)] >> place_of_bit(i);
    if (clear != 0) {
      const int32_t found = i + trailing_zeros(clear);
      return found < to ? found : -1;
    }
    i = (word_of_bit(i) + 1) * kWordBits;
  }
  return -1;
}

// Allocates on cache-line borders, so that threads writing neighbouring
// ranges of words never write to the same line.
template <class T>
struct LineAligned {
  using value_type = T;
  static constexpr std::align_val_t kLine{kLineBytes};
  LineAligned() = default;
  template <class U>
  LineAligned(const LineAligned<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), kLine)); }
  void deallocate(T* p, size_t) { ::operator delete(p, kLine); }
  bool operator==(const LineAligned&) const = default;
};
using Bitsets = std::vector<uint64_t, LineAligned<uint64_t>>;

}  // namespace vexaro
