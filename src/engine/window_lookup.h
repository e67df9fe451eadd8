// SPDX-License-Identifier: MIT
// What the descending scan asks of a window lookup, the part of the pair
// scorer that knows the searched item: the WindowLookup concept below.
#pragma once

#include <concepts>
#include <cstdint>

#include "engine/arranged_pair.h"

namespace vexaro {

struct MatchingStatistics;

struct WindowFound {
  int32_t at;  // where the window first occurs, or -1
  // After a miss: the longest window from P that can still occur. A lookup
  // that does not know says L, and the scan asks again one length lower.
  int32_t longest;
};

// A lookup offers:
//   statistics(a, stats)  fills the matching statistics of the pair and
//                         returns its longest common substring;
//   start_scan(a)         the scan begins: nothing of the searched item is
//                         blanked;
//   find(a, P, L)         the first occurrence of the pattern's L bytes from
//                         P in the searched item as blanked so far, for
//                         0 <= P, 1 <= L, P + L <= the pattern's length; the
//                         scan asks about each start at lengths that only
//                         decrease;
//   blank(H, L)           a hit took the searched item's L bytes from H.
template <class Lookup>
concept WindowLookup = requires(Lookup lookup, const ArrangedPair& a, MatchingStatistics& stats,
                                int32_t at, int32_t length) {
  { lookup.statistics(a, stats) } -> std::same_as<int32_t>;
  { lookup.start_scan(a) } -> std::same_as<void>;
  { lookup.find(a, at, length) } -> std::same_as<WindowFound>;
  { lookup.blank(at, length) } -> std::same_as<void>;
};

}  // namespace vexaro
