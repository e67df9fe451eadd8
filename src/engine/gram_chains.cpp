// SPDX-License-Identifier: MIT
#include "engine/gram_chains.h"

#include <algorithm>

#include "common/check.h"
#include "engine/byte_runs.h"
#include "engine/grams.h"

namespace vexaro {

void GramChains::build(ItemView item) {
  first_.reset(static_cast<uint32_t>(std::max(item.length, 0)));
  bypasses_ = 0;
  for (int32_t h = item.length - kGram; h >= 0; --h) {
    int32_t& first = first_.insert(gram_key(item.bytes + h));
    next_[h] = first;
    first = h;
  }
}

// A place whose first byte is blanked cannot start a piece again in this
// pair, so it is taken out of its chain as the walk meets it; blanked
// places would otherwise make most of the walk once long hits are found.
Piece GramChains::longest_piece(int32_t from, const uint8_t* text, int32_t length,
                                const uint8_t* window, int32_t L) {
  VEXARO_ASSERT(L >= 1 && length <= kMaxPrepared);
  Piece best;
  for (int32_t h = from, before = -1; h >= 0 && best.length < L;) {
    const int32_t after = next_[h];
    if (text[h] == kBlank && before >= 0) {
      bypassed_[bypasses_++] = {before, next_[before]};
      next_[before] = after;
    } else {
      const int32_t agree = common_prefix(text + h, window, std::min(L, length - h));
      if (agree > best.length) best = {agree, h};
      before = h;
    }
    h = after;
  }
  return best;
}

void GramChains::restore() {
  while (bypasses_ > 0) {
    const auto [place, link] = bypassed_[--bypasses_];
    next_[place] = link;
  }
}

}  // namespace vexaro
