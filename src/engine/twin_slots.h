// SPDX-License-Identifier: MIT
// Where the members of each twin class stand. Twins score alike against any
// reference, and a row takes only strict improvements in slot order, so of
// a class only the member that stands first among the candidates can ever
// beat a row's best: the others are muted in the gram index, which then
// never lists them. A log of 16000 copies of one line costs one candidate a
// row instead of 16000.
#pragma once

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "engine/gram_index.h"
#include "engine/prepared_records.h"
#include "scoring/row_search.h"

namespace vexaro {

class TwinSlots {
 public:
  // Mutes every member of a class in `grams` but the first in `slots`.
  TwinSlots(const PreparedRecords& records, const Slots& slots, GramIndex& grams);

  // The record in `slot` is a reference now.
  void retire(int32_t record, int32_t slot);
  // The record moved from one slot to another.
  void move(int32_t record, int32_t from, int32_t to);

 private:
  using Members = std::set<std::pair<int32_t, int32_t>>;  // (slot, record), first slot first
  // Mutes the member that stood first and unmutes the one that does now.
  void follow_first(const Members& members, int32_t was);

  const PreparedRecords& records_;
  GramIndex& grams_;
  std::vector<Members> members_;  // per twin class
};

}  // namespace vexaro
