// SPDX-License-Identifier: MIT
#include "engine/signature.h"

#include "common/bits.h"
#include "engine/grams.h"

namespace vexaro {

Signature sign(const Measure& measure, ItemView item) {
  Signature s;
  for (int32_t i = 0; i < item.length; ++i) {
    const uint8_t b = item.bytes[i];
    if (b == kBlank) continue;
    ++s.counts.histogram[b & 31];
    ++s.counted;
  }
  if (!pieces_hold_grams(measure)) return s;
  for_each_window(item, [&](int32_t start, bool clean) {
    if (!clean) return;
    set_bit(s.grams.bits.data(), gram_bit(item.bytes + start));
  });
  return s;
}

}  // namespace vexaro
