// SPDX-License-Identifier: MIT
#include "engine/coverage.h"

#include <algorithm>

#include "engine/grams.h"

namespace vexaro {

int32_t shared_bytes(const ByteCounts& a, const ByteCounts& b) {
  int32_t shared = 0;
  for (int k = 0; k < ByteCounts::kBuckets; ++k) shared += std::min(a.histogram[k], b.histogram[k]);
  return shared;
}

}  // namespace vexaro
