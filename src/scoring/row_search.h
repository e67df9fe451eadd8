// SPDX-License-Identifier: MIT
// The row contract between the ordering and an engine. Row by row, the
// record in slot `row` is the reference; every later slot is scored against
// it, and each candidate that beats the row's best so far is exchanged at
// once into slot row+1, which is what decides ties.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "common/check.h"

namespace vexaro {

// The output order: slot s holds record slots[s].
using Slots = std::vector<int32_t>;

// What a row's search found.
struct RowResult {
  int32_t best = -1;           // the best score, -1 when no candidate beat -1
  std::string_view substring;  // -a9999: the row's longest common substring
};

// Engines differ in speed only: for the same records and settings every
// engine leaves the same slots and finds the same results. Rows are searched
// one by one from row 0, whose slots hold the records in record order;
// between rows only the engine moves the slots.
class RowSearch {
 public:
  virtual ~RowSearch() = default;
  // Starts the search of the row whose reference is in slot `row`. The
  // engine may go on working on other threads until finish_row; the caller
  // writes the row's line meanwhile and leaves `slots` alone.
  virtual void begin_row(Slots& slots, int32_t row) = 0;
  // Completes the search: the slots hold the row's exchanges. The substring
  // stays valid until the next begin_row.
  virtual RowResult finish_row() = 0;
  // Drops the begun row, as soon as the engine can stop; the slots are then
  // left in no particular order.
  virtual void abandon_row() = 0;
};

// Scores the candidates of a row in slot order with `score_of(j, record)` and
// exchanges every strict improvement at once into slot row+1. Returns the
// row's best score, -1 when none beat -1.
template <class ScoreFn>
int32_t apply_row(Slots& slots, int32_t row, ScoreFn&& score_of) {
  VEXARO_ASSERT(row >= 0 && row < static_cast<int32_t>(slots.size()));
  int32_t best = -1;
  for (int32_t j = row + 1; j < static_cast<int32_t>(slots.size()); ++j) {
    int32_t value = score_of(j, slots[j]);
    if (value > best) {
      best = value;
      std::swap(slots[j], slots[row + 1]);
    }
  }
  return best;
}

}  // namespace vexaro
