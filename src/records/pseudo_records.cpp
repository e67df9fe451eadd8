// SPDX-License-Identifier: MIT
#include "records/pseudo_records.h"

namespace vexaro {

int32_t ParkMiller::next() {
  constexpr int32_t kMultiplier = 48271;
  constexpr int32_t kQuotient = 44488;  // 2147483647 / 48271
  constexpr int32_t kRemainder = 3399;  // 2147483647 % 48271
  int32_t value = kMultiplier * (Rseed % kQuotient) - kRemainder * (Rseed / kQuotient);
  if (value <= 0) value += 2147483647;
  Rseed = value;
  return Rseed;
}

Chunk ChunkSampler::next_chunk() {
  if (teilgg == 0) teilgg = settings_.teilg;
  int32_t drawn = generator_.next();
  int32_t length = drawn % settings_.dran + settings_.uran;
  --teilgg;
  return Chunk{length, teilgg == 0};
}

}  // namespace vexaro
