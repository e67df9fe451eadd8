// SPDX-License-Identifier: MIT
#include "scoring/item.h"

#include <algorithm>
#include <cstring>

#include "common/check.h"
#include "scoring/phonetic.h"

namespace vexaro {
namespace {

bool is_folded(uint8_t b) { return (b >= 65 && b <= 90) || (b >= 192 && b <= 223); }

// Blanks the first occurrence of each string of the omit list, slot by slot.
void blank_omit_list(const ItemRules& s, uint8_t* item) {
  for (const auto& slot : s.omit_strings) {
    std::array<char, kOmitSlotBytes + 1> omit{};  // ends the string even if a slot is full
    std::memcpy(omit.data(), slot.data(), kOmitSlotBytes);
    if (omit[0] == '\0') break;  // an empty slot hides the ones after it
    char* hit = std::strstr(reinterpret_cast<char*>(item), omit.data());
    if (hit != nullptr) std::memset(hit, kBlank, std::strlen(omit.data()));
  }
}

}  // namespace

ItemRules item_rules_of(const Settings& s) {
  ItemRules rules;
  rules.skip_bytes = s.skip_bytes;
  rules.start_byte = s.start_byte;
  rules.range_low = s.range_low;
  rules.range_high = s.range_high;
  rules.case_sensitive = s.case_sensitive;
  rules.phonetic_keys = s.phonetic_keys;
  rules.omit_in_use = s.omit_in_use;
  rules.omit_strings = s.omit_strings;
  return rules;
}

ItemView blank_if_empty(ItemView item) {
  static constexpr uint8_t kBlankItem[2] = {kBlank, 0};
  return item.length == 0 ? ItemView{kBlankItem, 1} : item;
}

const uint8_t* working_start(const ItemRules& rules, const uint8_t* item) {
  size_t length = std::strlen(reinterpret_cast<const char*>(item));
  size_t skip = rules.skip_bytes > 0 ? static_cast<size_t>(rules.skip_bytes) : 0;
  const uint8_t* text = item + std::min(skip, length);
  if (rules.start_byte != 0) {
    const char* found = std::strchr(reinterpret_cast<const char*>(text), rules.start_byte);
    if (found != nullptr) text = reinterpret_cast<const uint8_t*>(found) + 1;
  }
  return text;
}

void rewrite_control_bytes(const uint8_t* item, uint8_t* out) {
  for (; *item != 0; ++item, ++out) *out = (*item < 32) ? ' ' : *item;
  *out = 0;
}

uint8_t prepared_byte(const ItemRules& s, uint8_t b) {
  if (b < s.range_low || b > s.range_high) return 0;
  return !s.case_sensitive && is_folded(b) ? b | 0x20 : b;
}

int32_t prepare_item(const ItemRules& s, const uint8_t* raw, uint8_t* out) {
  int32_t length = 0;
  // The cap only matters for callers that break the record length limit.
  for (const uint8_t* r = raw; *r != 0 && length < kMaxRecordLength; ++r) {
    const uint8_t b = prepared_byte(s, *r);
    if (b != 0) out[length++] = b;
  }
  out[length] = 0;
  if (s.omit_in_use) blank_omit_list(s, out);
  if (s.phonetic_keys) {
    std::array<char, kPreparedRoom> work;
    work[0] = '\0';
    phonetic(out, work.data(), kMaxRecordLength);
    length = static_cast<int32_t>(std::strlen(work.data()));
    std::memcpy(out, work.data(), length + 1);
  }
  VEXARO_ASSERT(length <= kMaxPrepared);
  return length;
}

PreparedItem prepared(const ItemRules& rules, const uint8_t* raw) {
  PreparedItem item;
  item.length = prepare_item(rules, raw, item.bytes.data());
  return item;
}

}  // namespace vexaro
