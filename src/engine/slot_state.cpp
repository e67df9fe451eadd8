// SPDX-License-Identifier: MIT
#include "engine/slot_state.h"

#include <numeric>

#include "common/check.h"

namespace vexaro {

SlotState::SlotState(const PreparedRecords& records, const RecordIndex& index,
                     const Measure& measure, GramIndex* grams)
    : grams_(grams) {
  Slots slots(index.size());
  std::iota(slots.begin(), slots.end(), 0);
  if (grams_) {
    for (int32_t j = 0; j < static_cast<int32_t>(slots.size()); ++j) grams_->place(slots[j], j);
    if (records.twin_classes() > 0) twins_.emplace(records, slots, *grams_);
  }
  if (measure.byte_difference()) prefixes_.emplace(records, index.stats, slots);
}

void SlotState::begin_row(const Slots& slots, int32_t row, ItemView reference) {
  if (prefixes_) prefixes_->load_reference(reference);
  if (!grams_) return;
  grams_->retire(slots[row]);
  if (twins_) twins_->retire(slots[row], row);
}

}  // namespace vexaro
