// SPDX-License-Identifier: MIT
// What preparing an item reads of the settings: where its compared text
// begins, which bytes it keeps and how, what it blanks, and whether it
// becomes a Metaphone key. Derived once from the settings.
#pragma once

#include <array>
#include <cstdint>

#include "records/settings.h"

namespace vexaro {

struct ItemRules {
  int32_t skip_bytes = 0;  // working start: leading bytes left out (-s)
  uint8_t start_byte = 0;  // working start: behind the first such byte (-c; 0: off)
  uint8_t range_low = 65;  // the operating range, the bytes kept
  uint8_t range_high = 255;
  bool case_sensitive = false;  // no case folding
  bool phonetic_keys = false;   // items become Metaphone keys (-m)
  bool omit_in_use = false;     // the omit list is blanked (-o)
  std::array<std::array<char, kOmitSlotBytes>, kOmitSlots> omit_strings{};

  // Whether a prepared item may hold blank bytes (the byte 1), besides the
  // one an empty item counts as: the omit list writes them, and under -b the
  // operating range may keep them.
  bool blanks_bytes() const { return omit_in_use || range_low <= 1; }
};

ItemRules item_rules_of(const Settings& settings);

}  // namespace vexaro
