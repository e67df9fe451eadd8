// SPDX-License-Identifier: MIT
#include "scoring/literal_search.h"

#include <array>

#include "scoring/item.h"
#include "scoring/literal_scorer.h"
#include "scoring/measure.h"

namespace vexaro {
namespace {

class LiteralSearch : public RowSearch {
 public:
  LiteralSearch(const Settings& settings, const RecordIndex& index)
      : items_(item_rules_of(settings)),
        longest_substrings_(measure_of(settings).longest_substrings()),
        index_(index),
        scorer_(settings, index.stats) {}

  void begin_row(Slots& slots, int32_t row) override {
    slots_ = &slots;
    row_ = row;
  }

  // The reference is scored as it is written: its control bytes are spaces.
  RowResult finish_row() override {
    Slots& slots = *slots_;
    if (longest_substrings_) scorer_.start_row();
    rewrite_control_bytes(index_.item(slots[row_]), st1_.data());
    const uint8_t* reference = working_start(items_, st1_.data());
    const int32_t reference_stored = index_.stored_lengths[slots[row_]];
    const int32_t best = apply_row(slots, row_, [&](int32_t j, int32_t record) {
      const uint8_t* candidate = working_start(items_, index_.item(record));
      return scorer_.score(j == row_ + 1 ? reference : nullptr, candidate, reference_stored,
                           index_.stored_lengths[record]);
    });
    return {best, longest_substrings_ ? std::string_view(scorer_.longest_substring())
                                      : std::string_view()};
  }

  void abandon_row() override {}

 private:
  const ItemRules items_;
  const bool longest_substrings_;
  const RecordIndex& index_;
  LiteralScorer scorer_;
  std::array<uint8_t, kMaxRecordLength + 1> st1_{};
  Slots* slots_ = nullptr;
  int32_t row_ = 0;
};

}  // namespace

std::unique_ptr<RowSearch> make_literal_search(const Settings& settings, const RecordIndex& index) {
  return std::make_unique<LiteralSearch>(settings, index);
}

}  // namespace vexaro
