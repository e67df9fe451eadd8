// SPDX-License-Identifier: MIT
// Pseudo records: input without line structure is cut into chunks of
// pseudo-random length, and one chunk in every `take_every` is taken as a record.
#pragma once

#include <cstdint>

#include "records/settings.h"

namespace vexaro {

// Park-Miller minimal standard generator (multiplier 48271) by Schrage's
// method, so no product leaves 32 bits. Never seeded: runs are repeatable.
class ParkMiller {
 public:
  int32_t next();
  int32_t state() const { return state_; }

 private:
  int32_t state_ = -1;
};

struct Chunk {
  int32_t length;
  bool taken;  // false: the chunk is skipped without being read
};

class ChunkSampler {
 public:
  explicit ChunkSampler(const Settings& settings) : settings_(settings) {}
  Chunk next_chunk();

 private:
  const Settings& settings_;
  ParkMiller generator_;
  int32_t chunks_left = 0;  // chunks still to pass before the next taken one
};

}  // namespace vexaro
