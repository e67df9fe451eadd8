// SPDX-License-Identifier: MIT
#include "engine/bit_lookup.h"

#include <algorithm>
#include <cstring>

#include "common/check.h"
#include "engine/matching_statistics.h"

namespace vexaro {

template <class Mask>
BitLookup<Mask>::BitLookup(int32_t shortest_piece) : shortest_piece_(shortest_piece) {}

// The longest piece starting at each pattern byte, from the start positions
// of the current piece in the searched item, walking the pattern backwards.
// A piece that cannot be extended at its front is found anew from its new
// front byte forwards; it ends before the old piece did.
template <class Mask>
int32_t BitLookup<Mask>::statistics(const ArrangedPair& a, MatchingStatistics& stats) {
  const int32_t pattern_length = a.pattern.length;
  const uint8_t* pattern = a.pattern.bytes;
  VEXARO_ASSERT(pattern_length <= a.searched.length && a.searched.length <= kLongestItem);
  load(a.searched);
  // Made when first needed: a scorer that meets only long items never does.
  if (!windows_) windows_.reset(new Mask[kLongestItem * (kLongestItem + 1) / 2]);
  Mask starts = 0;  // where pattern[i+1..back] starts in the searched item
  int32_t lcs = 0;
  for (int32_t i = pattern_length - 1, back = pattern_length - 1; i >= 0; --i) {
    // Where pattern[i..back] starts, from where pattern[i+1..back] does.
    Mask next = back == i ? occurs_[pattern[i]] : (starts >> 1) & occurs_[pattern[i]];
    if (next == 0) {
      // Where pattern[i..k] ends, for k as far as it occurs.
      Mask ends = occurs_[pattern[i]];
      int32_t k = i;
      for (; ends != 0 && k + 1 < back; ++k) {
        const Mask longer = (ends << 1) & occurs_[pattern[k + 1]];
        if (longer == 0) break;
        ends = longer;
      }
      back = ends == 0 ? i - 1 : k;
      next = ends >> (k - i);
    }
    starts = next;
    stats.start_len[i] = back - i + 1;
    lcs = std::max(lcs, stats.start_len[i]);
    window_at_[i] = kUnmade;
  }
  stats.starts_made = true;
  windows_used_ = 0;
  return lcs;
}

template <class Mask>
void BitLookup<Mask>::load(ItemView searched) {
  if (searched.length == item_length_ &&
      std::memcmp(searched.bytes, item_.data(), item_length_) == 0)
    return;
  for (int32_t h = 0; h < item_length_; ++h) occurs_[item_[h]] = 0;
  // A word at a time: a variable shift of a 128-bit mask costs several.
  const int32_t low = std::min(searched.length, kWordBits);
  for (int32_t h = 0; h < low; ++h) occurs_[searched.bytes[h]] |= Mask{mask_of_bit(h)};
  if constexpr (sizeof(Mask) > sizeof(uint64_t)) {
    for (int32_t h = kWordBits; h < searched.length; ++h)
      occurs_[searched.bytes[h]] |= Mask{mask_of_bit(h)} << kWordBits;
  }
  std::memcpy(item_.data(), searched.bytes, searched.length);
  item_length_ = searched.length;
}

template class BitLookup<uint64_t>;
template class BitLookup<unsigned __int128>;

}  // namespace vexaro
