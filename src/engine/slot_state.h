// SPDX-License-Identifier: MIT
// What the engine keeps by slot, moved as one when a row exchanges two
// slots: the slots themselves, where the gram index hands out each record,
// the members of each twin class by slot, and under -b the candidates' first
// bytes in slot order.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "common/check.h"
#include "engine/gram_index.h"
#include "engine/prepared_records.h"
#include "engine/slot_prefixes.h"
#include "engine/twin_slots.h"
#include "records/record_index.h"
#include "scoring/measure.h"
#include "scoring/row_search.h"

namespace vexaro {

class SlotState {
 public:
  // The slots of the first row, which hold the records in record order.
  // `grams` may be null (no gram index); it must outlive the state.
  SlotState(const PreparedRecords& records, const RecordIndex& index, const Measure& measure,
            GramIndex* grams);

  // The candidates' first bytes in slot order under -b, else null.
  const SlotPrefixes* prefixes() const { return prefixes_ ? &*prefixes_ : nullptr; }

  // The record in slot `row` of `slots` becomes the row's reference, whose
  // prepared item is `reference`: no later row's candidate.
  void begin_row(const Slots& slots, int32_t row, ItemView reference);
  // Exchanges slots i and j in `slots` and in everything kept by slot.
  // Inline: a row may exchange at many of its candidates.
  void exchange(Slots& slots, int32_t i, int32_t j);

 private:
  GramIndex* const grams_;
  std::optional<TwinSlots> twins_;        // when twins exist and the gram index mutes them
  std::optional<SlotPrefixes> prefixes_;  // under -b
};

inline void SlotState::exchange(Slots& slots, int32_t i, int32_t j) {
  VEXARO_ASSERT(i >= 0 && j >= 0 && i < static_cast<int32_t>(slots.size()) &&
                j < static_cast<int32_t>(slots.size()));
  std::swap(slots[i], slots[j]);
  if (prefixes_) prefixes_->exchange(i, j);
  if (grams_) {
    grams_->place(slots[i], i);
    grams_->place(slots[j], j);
  }
  if (twins_) {
    twins_->move(slots[j], i, j);
    twins_->move(slots[i], j, i);
  }
}

}  // namespace vexaro
