// SPDX-License-Identifier: MIT
// Items: a record's bytes as the scorers see them. An item is zero-ended;
// its working start skips what -s and -c leave out of comparisons, and
// preparation keeps the bytes of the operating range, folds case, blanks
// the omit list and, under -m, turns the item into its Metaphone key.
#pragma once

#include <array>
#include <cstdint>

#include "common/bits.h"
#include "records/settings.h"
#include "scoring/item_rules.h"

namespace vexaro {

// Longest prepared item: a Metaphone key may be one byte over the record limit.
inline constexpr int kMaxPrepared = kMaxRecordLength + 1;

// A buffer for one prepared item: its bytes and the zero end, where the
// literal scorer's byte-string searches stop. Nothing reads past the zero
// end: the 8-byte compares stop at the lengths they are given.
inline constexpr int kPreparedRoom = kMaxPrepared + 1;

// Tables with an entry per byte of an item (matching statistics, the
// scan's waiting runs, the automaton's prefixes and q-gram chains): one
// entry more for the item's end, which some are asked at (a run may reach
// it, and starts are made up to it), and a spare one past any item, where
// the suffix automaton writes what its states that are no prefix find.
inline constexpr int kItemRoom = kMaxPrepared + 2;
inline constexpr int kItemWords = words_for(kItemRoom);  // an item's positions as bits

// Written over bytes that must take no further part in matching.
inline constexpr uint8_t kBlank = 1;

// A prepared item: zero-ended bytes and their count.
struct ItemView {
  const uint8_t* bytes;
  int32_t length;
};

// An empty prepared item takes part in a comparison as the single blank byte.
ItemView blank_if_empty(ItemView item);

// Where the compared text of an item begins: `skip_bytes` bytes in (clamped to the
// item), then behind the first `start_byte` if there is one.
const uint8_t* working_start(const ItemRules& rules, const uint8_t* item);

// The reference item as written and scored: control bytes 1..31 become spaces.
void rewrite_control_bytes(const uint8_t* item, uint8_t* out);

// What preparation makes of one byte before the omit list and Metaphone:
// the byte, folded unless case counts, or 0 when it is outside the
// operating range (which never holds 0).
uint8_t prepared_byte(const ItemRules& rules, uint8_t b);

// Filters and folds the zero-ended `raw` item, blanks the omit list and, under
// phonetic_keys, replaces it by its Metaphone key. Writes the zero-ended prepared item
// to `out` (at most kMaxPrepared bytes and the zero end: callers give
// kPreparedRoom) and returns its length.
int32_t prepare_item(const ItemRules& rules, const uint8_t* raw, uint8_t* out);

// A prepared item with room of its own.
struct PreparedItem {
  std::array<uint8_t, kPreparedRoom> bytes{};
  int32_t length = 0;
  ItemView view() const { return {bytes.data(), length}; }
};
PreparedItem prepared(const ItemRules& rules, const uint8_t* raw);

}  // namespace vexaro
