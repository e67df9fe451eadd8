// SPDX-License-Identifier: MIT
#include "engine/twin_slots.h"

#include "common/check.h"

namespace vexaro {

TwinSlots::TwinSlots(const PreparedRecords& records, const Slots& slots, GramIndex& grams)
    : records_(records), grams_(grams), members_(records.twin_classes()) {
  for (int32_t slot = 0; slot < static_cast<int32_t>(slots.size()); ++slot) {
    const int32_t twin = records.twin_class(slots[slot]);
    if (twin < 0) continue;
    if (!members_[twin].empty()) grams.mute(slots[slot], true);
    members_[twin].emplace(slot, slots[slot]);
  }
}

void TwinSlots::retire(int32_t record, int32_t slot) {
  const int32_t twin = records_.twin_class(record);
  if (twin < 0) return;
  Members& members = members_[twin];
  const int32_t was = members.begin()->second;
  [[maybe_unused]] const size_t erased = members.erase({slot, record});
  VEXARO_ASSERT(erased == 1);  // the reference stood in its slot
  follow_first(members, was);
}

void TwinSlots::move(int32_t record, int32_t from, int32_t to) {
  const int32_t twin = records_.twin_class(record);
  if (twin < 0) return;
  Members& members = members_[twin];
  const int32_t was = members.begin()->second;
  [[maybe_unused]] const size_t erased = members.erase({from, record});
  VEXARO_ASSERT(erased == 1);  // the record stood where it moves from
  members.emplace(to, record);
  follow_first(members, was);
}

void TwinSlots::follow_first(const Members& members, int32_t was) {
  const int32_t first = members.empty() ? -1 : members.begin()->second;
  if (first == was) return;
  grams_.mute(was, true);  // a retired record is muted to no effect
  if (first >= 0) grams_.mute(first, false);
}

}  // namespace vexaro
