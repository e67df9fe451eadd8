// SPDX-License-Identifier: MIT
// The window lookup of searched items of up to 64 or 128 bytes: per byte
// value, the set of its positions as one bit mask, kept while the same item
// is searched again (a row's reference). A window's starts are the
// intersection of its bytes' sets, shifted into line; they are made when a
// window start is first asked about, for all its lengths at once. Blanked
// positions are a mask too.
#pragma once

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <memory>

#include "common/bits.h"
#include "common/check.h"
#include "engine/arranged_pair.h"
#include "engine/window_lookup.h"

namespace vexaro {

template <class Mask>
class BitLookup {
 public:
  static constexpr int kLongestItem = 8 * sizeof(Mask);

  explicit BitLookup(int32_t shortest_piece);

  int32_t statistics(const ArrangedPair& a, MatchingStatistics& stats);
  void start_scan(const ArrangedPair&) { blanked_ = 0; }
  WindowFound find(const ArrangedPair& a, int32_t P, int32_t L);
  void blank(int32_t H, int32_t L);

 private:
  void load(ItemView searched);

  const int32_t shortest_piece_;
  std::array<Mask, 256> occurs_{};            // per byte value: its positions
  std::array<uint8_t, kLongestItem> item_{};  // the item `occurs_` holds
  int32_t item_length_ = 0;
  // Per window start: where its windows' starts lie in windows_, or kUnmade.
  static constexpr int32_t kUnmade = INT32_MIN;
  std::array<int32_t, kLongestItem> window_at_{};
  std::unique_ptr<Mask[]> windows_;  // written before they are read
  int32_t windows_used_ = 0;
  Mask blanked_ = 0;
};

// Inline, with blank: the scan asks for every window it tries.
template <class Mask>
inline WindowFound BitLookup<Mask>::find(const ArrangedPair& a, int32_t P, int32_t L) {
  VEXARO_ASSERT(P >= 0 && L >= shortest_piece_ && P + L <= a.pattern.length);
  VEXARO_ASSERT(a.searched.length <= kLongestItem);
  // Made at the first length asked, the longest that will be.
  if (window_at_[P] == kUnmade) {
    window_at_[P] = windows_used_ - shortest_piece_;
    Mask starts = occurs_[a.pattern.bytes[P]];
    for (int32_t k = 1; k <= L; ++k) {
      if (k > 1) starts &= occurs_[a.pattern.bytes[P + k - 1]] >> (k - 1);
      if (k >= shortest_piece_) windows_[windows_used_++] = starts;
    }
  }
  // Starts whose L bytes hold a blanked byte: spread each blanked bit down.
  Mask spread = blanked_;
  for (int32_t span = 1; span < L && spread != 0;) {
    const int32_t step = std::min(span, L - span);
    spread |= spread >> step;
    span += step;
  }
  const Mask starts = windows_[window_at_[P] + L] & ~spread;
  if (starts == 0) return {-1, L};
  return {trailing_zeros(starts), L};
}

template <class Mask>
inline void BitLookup<Mask>::blank(int32_t H, int32_t L) {
  VEXARO_ASSERT(H >= 0 && L >= 1 && H + L <= kLongestItem);
  blanked_ |= low_bits<Mask>(L) << H;
}

using NarrowBitLookup = BitLookup<uint64_t>;
using WideBitLookup = BitLookup<unsigned __int128>;
static_assert(WindowLookup<NarrowBitLookup> && WindowLookup<WideBitLookup>);

}  // namespace vexaro
