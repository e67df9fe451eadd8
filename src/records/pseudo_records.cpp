// SPDX-License-Identifier: MIT
#include "records/pseudo_records.h"

namespace vexaro {

int32_t ParkMiller::next() {
  constexpr int32_t kMultiplier = 48271;
  constexpr int32_t kQuotient = 44488;  // 2147483647 / 48271
  constexpr int32_t kRemainder = 3399;  // 2147483647 % 48271
  int32_t value = kMultiplier * (state_ % kQuotient) - kRemainder * (state_ / kQuotient);
  if (value <= 0) value += 2147483647;
  state_ = value;
  return state_;
}

Chunk ChunkSampler::next_chunk() {
  if (chunks_left == 0) chunks_left = settings_.take_every;
  int32_t drawn = generator_.next();
  int32_t length = drawn % settings_.pseudo_lengths + settings_.pseudo_shortest;
  --chunks_left;
  return Chunk{length, chunks_left == 0};
}

}  // namespace vexaro
