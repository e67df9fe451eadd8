// SPDX-License-Identifier: MIT
#include "engine/bit_lookup.h"

#include <algorithm>
#include <cstring>

namespace vexaro {

template <class Mask>
BitLookup<Mask>::BitLookup(int32_t minscan) : minscan_(minscan) {}

// The longest piece starting at each pattern byte, from the start positions
// of the current piece in the searched item, walking the pattern backwards.
// A piece that cannot be extended at its front is found anew from its new
// front byte forwards; it ends before the old piece did.
template <class Mask>
int32_t BitLookup<Mask>::statistics(const ArrangedPair& a, MatchingStatistics& stats) {
  const int32_t LA = a.pattern.length;
  const uint8_t* pattern = a.pattern.bytes;
  load(a.searched);
  // Made when first needed: a scorer that meets only long items never does.
  if (!windows_) windows_.reset(new Mask[kLongestItem * (kLongestItem + 1) / 2]);
  Mask starts = 0;  // where pattern[i+1..back] starts in the searched item
  int32_t lcs = 0;
  for (int32_t i = LA - 1, back = LA - 1; i >= 0; --i) {
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
WindowFound BitLookup<Mask>::find(const ArrangedPair& a, int32_t P, int32_t L) {
  // Made at the first length asked, the longest that will be.
  if (window_at_[P] == kUnmade) {
    window_at_[P] = windows_used_ - minscan_;
    Mask starts = occurs_[a.pattern.bytes[P]];
    for (int32_t k = 1; k <= L; ++k) {
      if (k > 1) starts &= occurs_[a.pattern.bytes[P + k - 1]] >> (k - 1);
      if (k >= minscan_) windows_[windows_used_++] = starts;
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
  const uint64_t low = static_cast<uint64_t>(starts);
  if (low != 0) return {__builtin_ctzll(low), L};
  return {64 + __builtin_ctzll(static_cast<uint64_t>(static_cast<unsigned __int128>(starts) >> 64)),
          L};
}

template <class Mask>
void BitLookup<Mask>::blank(int32_t H, int32_t L) {
  blanked_ |= (L == kLongestItem ? ~Mask{0} : (Mask{1} << L) - 1) << H;
}

template <class Mask>
void BitLookup<Mask>::load(ItemView searched) {
  if (searched.length == item_length_ &&
      std::memcmp(searched.bytes, item_.data(), item_length_) == 0)
    return;
  for (int32_t h = 0; h < item_length_; ++h) occurs_[item_[h]] = 0;
  // A word at a time: a variable shift of a 128-bit mask costs several.
  const int32_t low = std::min(searched.length, 64);
  for (int32_t h = 0; h < low; ++h) occurs_[searched.bytes[h]] |= Mask{uint64_t{1} << h};
  if constexpr (sizeof(Mask) > sizeof(uint64_t)) {
    for (int32_t h = 64; h < searched.length; ++h)
      occurs_[searched.bytes[h]] |= Mask{uint64_t{1} << (h - 64)} << 64;
  }
  std::memcpy(item_.data(), searched.bytes, searched.length);
  item_length_ = searched.length;
}

template class BitLookup<uint64_t>;
template class BitLookup<unsigned __int128>;

}  // namespace vexaro
