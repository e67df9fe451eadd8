// SPDX-License-Identifier: MIT
// The word helpers of bit sets against a bool per bit, over ranges that
// start and end on both sides of word borders.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "common/bits.h"

namespace vexaro {
namespace {

constexpr int32_t kBits = 3 * kWordBits;

struct Model {
  std::vector<bool> bit = std::vector<bool>(kBits);
  std::vector<uint64_t> words = std::vector<uint64_t>(words_for(kBits));

  explicit Model(std::mt19937_64& rng) {
    for (uint64_t& word : words) word = rng() & rng();  // sparse enough to leave gaps
    for (int32_t i = 0; i < kBits; ++i) bit[i] = test_bit(words.data(), i);
  }
  int32_t first(bool value, int32_t from, int32_t to) const {
    for (int32_t i = from; i < to; ++i)
      if (bit[i] == value) return i;
    return -1;
  }
};

TEST(Bits, RangesAcrossWordBordersAgreeWithABoolPerBit) {
  const int32_t edges[] = {0, 1, 62, 63, 64, 65, 127, 128, 129, kBits - 1, kBits};
  std::mt19937_64 rng(5);
  for (int round = 0; round < 20; ++round) {
    for (int32_t from : edges) {
      for (int32_t to : edges) {
        Model m(rng);
        SCOPED_TRACE(testing::Message() << "from " << from << " to " << to);
        EXPECT_EQ(first_set_bit(m.words.data(), from, to), m.first(true, from, to));
        EXPECT_EQ(first_clear_bit(m.words.data(), from, to), m.first(false, from, to));
        clear_bits(m.words.data(), from, to);
        for (int32_t i = 0; i < kBits; ++i)
          ASSERT_EQ(test_bit(m.words.data(), i), m.bit[i] && !(i >= from && i < to)) << i;
      }
    }
  }
}

TEST(Bits, VisitsSetAndMasksEachBitOnce) {
  std::mt19937_64 rng(9);
  Model m(rng);
  std::vector<int32_t> visited, expected;
  for_each_bit(m.words.data(), words_for(kBits), [&](int32_t i) { visited.push_back(i); });
  for (int32_t i = 0; i < kBits; ++i)
    if (m.bit[i]) expected.push_back(i);
  EXPECT_EQ(visited, expected);

  std::vector<uint64_t> words(words_for(kBits));
  for (int32_t i : expected) set_bit(words.data(), i);
  EXPECT_EQ(words, m.words);
  for (int32_t i : expected) clear_bit(words.data(), i);
  EXPECT_EQ(words, std::vector<uint64_t>(words_for(kBits)));

  for (int count = 1; count <= kWordBits; ++count) {
    EXPECT_EQ(count_ones(low_bits(count)), count);
    EXPECT_EQ(highest_bit(bits_through(count - 1)), count - 1);
  }
  for (int place = 0; place < 2 * kWordBits; ++place)
    EXPECT_EQ(trailing_zeros(static_cast<unsigned __int128>(3) << place), place);
}

}  // namespace
}  // namespace vexaro
