// SPDX-License-Identifier: MIT
// Every record prepared once for each of its two roles, with the signatures
// that bound how much two records can have in common.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/signature.h"
#include "records/record_index.h"
#include "scoring/item.h"
#include "scoring/item_rules.h"
#include "scoring/measure.h"

namespace vexaro {

class PreparedRecords {
 public:
  // The candidates' window bits are made while the input has at most
  // `window_bits_budget` bytes.
  PreparedRecords(const ItemRules& items, const Measure& measure, const RecordIndex& index,
                  int64_t window_bits_budget = kWindowBitsBudget);

  // A record as the reference of a row: its control bytes became spaces
  // before its working start was taken and it was prepared.
  ItemView reference(int32_t record) const { return view(reference_at_[record]); }
  // A record as a candidate: prepared from its bytes as read.
  ItemView candidate(int32_t record) const { return view(candidate_at_[record]); }
  int32_t candidate_length(int32_t record) const { return candidate_at_[record].length; }
  // Every record, shortest prepared candidate first, ties in record order.
  std::vector<int32_t> by_candidate_length() const;
  // Records whose candidates are the same prepared bytes and whose stored
  // lengths agree score alike against any reference: they share a twin
  // class. -1 for a record that has no twin.
  int32_t twin_class(int32_t record) const { return twin_class_[record]; }
  int32_t twin_classes() const { return twin_classes_; }

  // The signatures of the candidates, kept for the measures of pieces.
  // Bytes of the candidate that are not blank.
  int32_t counted(int32_t record) const { return counted_[record]; }
  const ByteCounts& counts(int32_t record) const { return counts_[record]; }
  // The candidate's q-gram filter: kept for longest substrings only.
  const GramFilter& grams(int32_t record) const { return grams_[record]; }
  // Per q-gram window of the candidate: its window_filter_bit, or nullptr
  // when they were not made (they take two bytes per input byte).
  const uint16_t* window_bits(int32_t record) const {
    return window_bits_at_.empty() ? nullptr : window_bits_.data() + window_bits_at_[record];
  }
  static constexpr int64_t kWindowBitsBudget = int64_t{8} << 20;

 private:
  struct Place {
    uint32_t offset;
    int32_t length;
  };
  ItemView view(Place p) const { return {arena_.data() + p.offset, p.length}; }
  Place store(const uint8_t* prepared, int32_t length);
  void add_signature(const Measure& measure, int32_t record);
  void find_twins(const RecordIndex& index);

  std::vector<uint8_t> arena_;  // every prepared item, each zero-ended
  std::vector<Place> reference_at_, candidate_at_;
  std::vector<int32_t> twin_class_;
  int32_t twin_classes_ = 0;
  std::vector<int32_t> counted_;
  std::vector<ByteCounts> counts_;
  std::vector<GramFilter> grams_;
  std::vector<uint16_t> window_bits_;
  std::vector<uint32_t> window_bits_at_;
};

}  // namespace vexaro
