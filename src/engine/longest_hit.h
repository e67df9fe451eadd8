// SPDX-License-Identifier: MIT
// Longest-substrings mode looks at the first hit of a pair's scan alone: the
// leftmost of the longest windows that occur, the pair's longest common substring.
#pragma once

#include <cstdint>

namespace vexaro {

struct LongestHit {
  int32_t length = 0;              // 0 when the scan finds nothing
  const uint8_t* bytes = nullptr;  // its bytes, in one of the two items given
};

}  // namespace vexaro
