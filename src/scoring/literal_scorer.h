// SPDX-License-Identifier: MIT
// The literal scorer: the common-substring and byte-difference measures,
// following the procedure step by step on prepared items. It is kept as the
// oracle that faster engines are tested against.
#pragma once

#include <array>
#include <cstdint>

#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/item.h"
#include "scoring/item_rules.h"
#include "scoring/measure.h"

namespace vexaro {

// An upper bound for the longest common substring of the zero-ended items,
// found by doubling a probe length from shortest_piece; `n` is the pattern length.
// The pattern is changed only for the time of each probe.
int32_t start_length(int32_t n, const uint8_t* searched, uint8_t* pattern, int32_t shortest_piece);

// The byte-difference score of two prepared items, the searched one at least
// as long as the pattern (both lengths at least 1).
int32_t byte_difference_score(const uint8_t* searched, const uint8_t* pattern,
                              int32_t searched_length, int32_t pattern_length, uint8_t min_byte,
                              uint8_t max_byte);

class LiteralScorer {
 public:
  // Reads the settings through the item rules and the measure made of them.
  LiteralScorer(const Settings& settings, const RecordStats& stats);

  // Scores `candidate` against `reference`; a null reference reuses the one
  // prepared by the last call that passed one. Both are zero-ended texts.
  // reference_stored and candidate_stored are the stored record lengths of reference and candidate.
  int32_t score(const uint8_t* reference, const uint8_t* candidate, int32_t reference_stored,
                int32_t candidate_stored);

  // Under -a9999: empties the longest common substring of the row.
  void start_row();
  // Under -a9999: the longest common substring recorded in this row.
  const char* longest_substring() const { return longest_substring_.data(); }
  int32_t longest_length() const { return longest_length_; }

 private:
  int32_t common_substring_score(uint8_t* searched, uint8_t* pattern, int32_t searched_length,
                                 int32_t pattern_length, int32_t reference_stored,
                                 int32_t candidate_stored);

  const ItemRules items_;
  const Measure measure_;
  const RecordStats& stats_;
  std::array<uint8_t, kPreparedRoom> reference_{};  // the prepared reference, kept between calls
  int32_t reference_length_ = 0;
  std::array<uint8_t, kPreparedRoom> candidate_{};
  std::array<uint8_t, kPreparedRoom> work_{};
  std::array<char, kPreparedRoom> longest_substring_{};
  int32_t longest_length_ = 0;
};

}  // namespace vexaro
