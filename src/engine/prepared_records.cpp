// SPDX-License-Identifier: MIT
#include "engine/prepared_records.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>
#include <tuple>

#include "engine/coverage.h"
#include "engine/grams.h"

namespace vexaro {

std::vector<int32_t> PreparedRecords::by_candidate_length() const {
  std::vector<int32_t> records(candidate_at_.size());
  std::iota(records.begin(), records.end(), 0);
  std::stable_sort(records.begin(), records.end(),
                   [&](int32_t a, int32_t b) { return candidate_length(a) < candidate_length(b); });
  return records;
}

PreparedRecords::PreparedRecords(const ItemRules& items, const Measure& measure,
                                 const RecordIndex& index, int64_t window_bits_budget) {
  const int32_t count = index.size();
  reference_at_.resize(count);
  candidate_at_.resize(count);
  // No bound reads the signatures of a byte difference.
  const bool signed_records = !measure.byte_difference();
  if (signed_records) {
    counted_.resize(count);
    counts_.resize(count);
    // Only longest-substrings mode reads a candidate's own q-gram filter.
    if (measure.longest_substrings()) grams_.resize(count);
    if (pieces_hold_grams(measure) && index.stats.stored_bytes <= window_bits_budget) {
      window_bits_at_.resize(count);
      window_bits_.reserve(static_cast<size_t>(index.stats.stored_bytes));
    }
  }
  // Room for every candidate as read, so that the arena grows by no copy.
  arena_.reserve(static_cast<size_t>(index.stats.stored_bytes) + static_cast<size_t>(count));
  PreparedItem prepared;
  std::vector<uint8_t> rewritten(kMaxRecordLength + 1);
  for (int32_t record = 0; record < count; ++record) {
    const uint8_t* item = index.item(record);
    prepared.length = prepare_item(items, working_start(items, item), prepared.bytes.data());
    candidate_at_[record] = store(prepared.bytes.data(), prepared.length);
    if (signed_records) add_signature(measure, record);

    rewrite_control_bytes(item, rewritten.data());
    const ItemView candidate = this->candidate(record);
    prepared.length =
        prepare_item(items, working_start(items, rewritten.data()), prepared.bytes.data());
    const bool same = prepared.length == candidate.length &&
                      std::memcmp(prepared.bytes.data(), candidate.bytes, candidate.length) == 0;
    reference_at_[record] =
        same ? candidate_at_[record] : store(prepared.bytes.data(), prepared.length);
  }
  find_twins(index);
}

// Sorted by length, stored length and bytes, twins stand side by side.
void PreparedRecords::find_twins(const RecordIndex& index) {
  const int32_t count = index.size();
  twin_class_.assign(count, -1);
  std::vector<int32_t> order(count);
  std::iota(order.begin(), order.end(), 0);
  auto key = [&](int32_t record) {
    const ItemView item = candidate(record);
    return std::tuple(item.length, index.stored_lengths[record],
                      std::string_view(reinterpret_cast<const char*>(item.bytes), item.length));
  };
  std::sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return key(a) < key(b); });
  for (int32_t i = 1; i < count; ++i) {
    if (key(order[i]) != key(order[i - 1])) continue;
    if (twin_class_[order[i - 1]] < 0) twin_class_[order[i - 1]] = twin_classes_++;
    twin_class_[order[i]] = twin_class_[order[i - 1]];
  }
}

void PreparedRecords::add_signature(const Measure& measure, int32_t record) {
  const ItemView item = candidate(record);
  const Signature signature = sign(measure, item);
  counted_[record] = signature.counted;
  counts_[record] = signature.counts;
  if (!grams_.empty()) grams_[record] = signature.grams;
  if (window_bits_at_.empty()) return;
  window_bits_at_[record] = static_cast<uint32_t>(window_bits_.size());
  for (int32_t start = 0; start + kGram <= item.length; ++start)
    window_bits_.push_back(window_filter_bit(item.bytes + start));
}

PreparedRecords::Place PreparedRecords::store(const uint8_t* prepared, int32_t length) {
  const Place place{static_cast<uint32_t>(arena_.size()), length};
  arena_.insert(arena_.end(), prepared, prepared + length + 1);
  return place;
}

}  // namespace vexaro
