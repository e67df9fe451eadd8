// SPDX-License-Identifier: MIT
// The choices of an index, prepared and indexed once, and read-only from
// then on, so that any number of queries read them at once: their stored
// bytes, their prepared candidates with signatures and twin classes, and,
// where counted pieces hold q-grams, the gram index over them. Of each twin
// class only the first choice is listed in the gram index: a later twin
// scores what the first does, so a query learns its score from the first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/gram_index.h"
#include "engine/prepared_records.h"
#include "records/record_index.h"
#include "scoring/item_rules.h"
#include "scoring/measure.h"

namespace vexaro {

class IndexedChoices {
 public:
  // The choices must be records (at least one byte, none zero), at most
  // kLargestRecordLimit of them. The rules, measure and statistics are copied.
  IndexedChoices(const ItemRules& items, const Measure& measure, const RecordStats& stats,
                 const std::vector<std::string_view>& choices);
  IndexedChoices(const IndexedChoices&) = delete;
  IndexedChoices& operator=(const IndexedChoices&) = delete;

  int32_t size() const { return index_.size(); }
  const ItemRules& items() const { return items_; }
  const Measure& measure() const { return measure_; }
  const RecordStats& stats() const { return stats_; }
  const PreparedRecords& records() const { return records_; }
  // The gram index, or null where q-grams bound nothing (-m, -b).
  const GramIndex* grams() const { return grams_ ? &*grams_ : nullptr; }

  // A choice as given, past max_record_length bytes too.
  std::string_view text(int32_t choice) const;
  int32_t stored(int32_t choice) const { return index_.stored_lengths[choice]; }
  const RecordIndex& stored_index() const { return index_; }
  // Whether an earlier choice is the choice's twin.
  bool later_twin(int32_t choice) const { return later_twin_[choice]; }
  // The next choice of the choice's twin class, or -1.
  int32_t next_twin(int32_t choice) const { return next_twin_[choice]; }

 private:
  static RecordIndex stored_choices(const std::vector<std::string_view>& choices);
  void link_twins();

  const ItemRules items_;
  const Measure measure_;
  const RecordStats stats_;
  const RecordIndex index_;
  std::vector<std::pair<int32_t, std::string>> long_texts_;  // choices cut by the index
  const PreparedRecords records_;
  std::optional<GramIndex> grams_;
  std::vector<bool> later_twin_;
  std::vector<int32_t> next_twin_;
};

}  // namespace vexaro
