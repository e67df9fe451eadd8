// SPDX-License-Identifier: MIT
#include "engine/indexed_choices.h"

#include <algorithm>

#include "engine/grams.h"

namespace vexaro {
namespace {

// Grams held by a quarter as many choices as the gram index has bitset
// words are kept whole: a query then spreads only the rarer ones into its
// blocks, for about a third more of the index's memory.
constexpr int32_t kDenseShare = 4;

}  // namespace

IndexedChoices::IndexedChoices(const ItemRules& items, const Measure& measure,
                               const RecordStats& stats,
                               const std::vector<std::string_view>& choices)
    : items_(items),
      measure_(measure),
      stats_(stats),
      index_(stored_choices(choices)),
      records_(items, measure, index_) {
  for (size_t i = 0; i < choices.size(); ++i) {
    if (choices[i].size() > static_cast<size_t>(kMaxRecordLength))
      long_texts_.emplace_back(static_cast<int32_t>(i), choices[i]);
  }
  if (pieces_hold_grams(measure) && !measure.byte_difference())
    grams_.emplace(records_, index_, kDenseShare);
  link_twins();
}

// The choices as the scan stores records: their first kMaxRecordLength
// bytes, each zero-ended.
RecordIndex IndexedChoices::stored_choices(const std::vector<std::string_view>& choices) {
  RecordIndex index;
  size_t bytes = 0;
  for (std::string_view choice : choices)
    bytes += std::min<size_t>(choice.size(), kMaxRecordLength) + 1;
  index.bytes.reserve(bytes);
  uint64_t offset = 0;
  for (std::string_view choice : choices) {
    const auto length = static_cast<int32_t>(std::min<size_t>(choice.size(), kMaxRecordLength));
    index.append(offset, reinterpret_cast<const uint8_t*>(choice.data()), length);
    offset += choice.size() + 1;
  }
  index.measure_mean();
  return index;
}

// Links the members of each twin class in the order of the choices, and
// leaves all but the first out of the gram index's lists.
void IndexedChoices::link_twins() {
  const int32_t count = size();
  later_twin_.assign(count, false);
  next_twin_.assign(count, -1);
  std::vector<int32_t> last(records_.twin_classes(), -1);
  for (int32_t choice = 0; choice < count; ++choice) {
    const int32_t twin = records_.twin_class(choice);
    if (twin < 0) continue;
    if (last[twin] >= 0) {
      next_twin_[last[twin]] = choice;
      later_twin_[choice] = true;
      if (grams_) grams_->mute(choice, true);
    }
    last[twin] = choice;
  }
}

std::string_view IndexedChoices::text(int32_t choice) const {
  if (stored(choice) == kMaxRecordLength) {
    const auto found = std::lower_bound(
        long_texts_.begin(), long_texts_.end(), choice,
        [](const std::pair<int32_t, std::string>& text, int32_t c) { return text.first < c; });
    if (found != long_texts_.end() && found->first == choice) return found->second;
  }
  return {reinterpret_cast<const char*>(index_.item(choice)), static_cast<size_t>(stored(choice))};
}

}  // namespace vexaro
