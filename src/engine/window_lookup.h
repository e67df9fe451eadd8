// SPDX-License-Identifier: MIT
// What the descending scan asks of a window lookup, the part of the pair
// scorer that knows the searched item. A lookup offers:
//
//   int32_t statistics(const ArrangedPair&, MatchingStatistics&)
//       fills the matching statistics, returns the longest common substring;
//   void start_scan(const ArrangedPair&)
//       the scan begins: nothing of the searched item is blanked;
//   WindowFound find(const ArrangedPair&, int32_t P, int32_t L)
//       the first occurrence of the pattern's L bytes from P in the searched
//       item as blanked so far; the scan asks about each start at lengths
//       that only decrease;
//   void blank(int32_t H, int32_t L)
//       a hit took the searched item's L bytes from H.
#pragma once

#include <cstdint>

namespace vexaro {

struct WindowFound {
  int32_t at;  // where the window first occurs, or -1
  // After a miss: the longest window from P that can still occur. A lookup
  // that does not know says L, and the scan asks again one length lower.
  int32_t longest;
};

}  // namespace vexaro
