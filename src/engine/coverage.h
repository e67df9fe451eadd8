// SPDX-License-Identifier: MIT
// What two items can have in common, bounded from their signatures: the
// bytes their hits could cover and the longest hit there could be. Every
// counted piece holds q-grams of both items, so a byte can be covered only
// where a q-gram window over it is held by the other item too.
#pragma once

#include <cstdint>

#include "engine/signature.h"
#include "records/settings.h"
#include "scoring/score_formula.h"

namespace vexaro {

struct Coverage {
  int32_t covered;  // bytes that hits could cover
  int32_t longest;  // the longest hit there could be
};

// Whether hits that make up at most `c` leave the match sum below
// `beating` (least_sum_beating), when the searched item has LB bytes.
inline bool falls_short(const Settings& settings, Coverage c, int32_t LB, uint64_t beating) {
  return match_sum_bound(settings, c.covered, c.longest, static_cast<uint32_t>(LB)) < beating;
}

// The bytes of an item of `length` bytes that q-grams held in a filter's
// bits `grams` cover, from `bits`, per q-gram window of the item its filter
// bit, or GramFilter::kBits where the window holds a blank (`grams` has
// one more, clear, word for those). The longest run of covered bytes is
// found only when `runs` asks (only length-weighted scores read it);
// otherwise it is the covered count.
Coverage window_coverage(const uint16_t* bits, int32_t length, const uint64_t* grams, bool runs);

// How a lane's candidate-side coverage fared in a row: a bound that keeps
// letting everything through (versions of one text, say) is not worth its
// pass over the candidate, and is no longer asked in that row. Leaving a
// bound out never changes a result, only what is scored exactly.
struct CoverageTrials {
  static constexpr int32_t kTries = 16;
  int32_t tried = 0, refused = 0;
  bool worth_it() const { return tried < kTries || refused * kTries >= tried; }
  void note(bool refused_it) {
    ++tried;
    refused += refused_it;
  }
};

// Bytes two items share by value (in 32 buckets), blanks left out.
int32_t shared_bytes(const ByteCounts& a, const ByteCounts& b);

}  // namespace vexaro
