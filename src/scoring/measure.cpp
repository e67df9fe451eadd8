// SPDX-License-Identifier: MIT
#include "scoring/measure.h"

#include <algorithm>

namespace vexaro {

Measure measure_of(const Settings& s) {
  Measure m;
  // -b decides over -a9999: the byte difference knows no pieces.
  if (s.byte_difference) {
    m.kind = MeasureKind::byte_difference;
  } else if (s.longest_substrings) {
    m.kind = MeasureKind::longest_substrings;
  }
  // A shortest piece below 1 would make empty windows match forever.
  m.shortest_piece = std::max<int32_t>(s.shortest_piece, 1);
  if (!m.common_pieces()) return m;
  const bool by_length = s.length_divisor != 0;
  m.weighting = static_cast<Weighting>((s.position_weighting ? 1 : 0) | (by_length ? 2 : 0));
  m.length_divisor = s.length_divisor;
  m.length_correlation = s.length_correlation;
  return m;
}

}  // namespace vexaro
