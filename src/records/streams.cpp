// SPDX-License-Identifier: MIT
#include "records/streams.h"

#include <algorithm>
#include <cstring>

namespace vexaro {

bool ByteSource::skip(uint64_t count) {
  uint8_t scratch[1 << 16];
  while (count > 0) {
    long got = read(scratch, static_cast<size_t>(std::min<uint64_t>(count, sizeof scratch)));
    if (got < 0) return false;
    if (got == 0) return true;
    count -= static_cast<uint64_t>(got);
  }
  return true;
}

long MemorySource::read(uint8_t* buffer, size_t capacity) {
  size_t count = std::min(capacity, data_.size() - position_);
  std::memcpy(buffer, data_.data() + position_, count);
  position_ += count;
  return static_cast<long>(count);
}

bool MemorySource::skip(uint64_t count) {
  position_ += static_cast<size_t>(std::min<uint64_t>(count, data_.size() - position_));
  return true;
}

}  // namespace vexaro
