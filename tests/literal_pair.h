// SPDX-License-Identifier: MIT
// The oracle of the library's pair scores: the literal scorer on one pair,
// the reference rewritten as a row writes it and both records cut to their
// stored length. Under -a9999 the pair's own longest common substring, as
// in a row that has this one candidate.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/item.h"
#include "scoring/literal_scorer.h"

namespace vexaro::testing {

struct LiteralPair {
  int32_t score;
  std::string substring;  // under -a9999: the pair's longest common substring
};

inline LiteralPair literal_pair(const Settings& settings, const RecordStats& stats,
                                std::string_view reference, std::string_view candidate) {
  std::array<uint8_t, kMaxRecordLength + 1> first{}, second{};
  const auto reference_stored =
      static_cast<int32_t>(std::min<size_t>(reference.size(), kMaxRecordLength));
  const auto candidate_stored =
      static_cast<int32_t>(std::min<size_t>(candidate.size(), kMaxRecordLength));
  std::memcpy(first.data(), reference.data(), reference_stored);
  std::memcpy(second.data(), candidate.data(), candidate_stored);
  rewrite_control_bytes(first.data(), first.data());
  auto scorer = std::make_unique<LiteralScorer>(settings, stats);
  scorer->start_row();
  const ItemRules items = item_rules_of(settings);
  const int32_t score =
      scorer->score(working_start(items, first.data()), working_start(items, second.data()),
                    reference_stored, candidate_stored);
  return {score, std::string(scorer->longest_substring(), scorer->longest_length())};
}

inline int32_t literal_pair_score(const Settings& settings, const RecordStats& stats,
                                  std::string_view reference, std::string_view candidate) {
  return literal_pair(settings, stats, reference, candidate).score;
}

}  // namespace vexaro::testing
