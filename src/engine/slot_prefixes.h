// SPDX-License-Identifier: MIT
// Under -b a pair costs a few byte differences, less than reading the
// candidate from wherever it lies. So the candidates' first bytes are kept
// in slot order, where a row sweeps them front to back, and a candidate is
// read whole only when its first bytes do not settle whether it can beat
// the row's best.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/prepared_records.h"
#include "records/record_index.h"
#include "scoring/item.h"
#include "scoring/row_search.h"

namespace vexaro {

class SlotPrefixes {
 public:
  static constexpr int32_t kWidth = 64;

  SlotPrefixes(const PreparedRecords& records, const RecordStats& stats, const Slots& slots);

  // Follows an exchange of two slots.
  void exchange(int32_t i, int32_t j);
  void load_reference(ItemView reference);
  // The score of the candidate in slot j when it beats `best`; otherwise
  // a value not above `best`.
  int32_t score(int32_t j, int32_t best) const;

 private:
  using Prefix = std::array<uint8_t, kWidth>;
  struct alignas(64) Line {
    Prefix bytes;  // zero beyond the item; an empty item is one blank byte
  };
  struct Item {
    int32_t record;
    int32_t length;  // at least 1
  };
  static Line first_bytes(ItemView item);
  int32_t exact_score(int32_t j) const;

  const PreparedRecords& records_;
  const uint8_t min_byte_, max_byte_;
  const int64_t
      range_;  // max_byte - min_byte: a positive range makes a score fall as differences grow
  std::vector<Line> lines_;  // per slot
  std::vector<Item> items_;  // per slot
  Line reference_line_{};
  ItemView reference_{nullptr, 0};
};

}  // namespace vexaro
