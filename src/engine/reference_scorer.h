// SPDX-License-Identifier: MIT
// One reference scored against many candidates that come as byte strings
// rather than from a record index: the library's pair score, Scorer,
// best_match and matches. The reference is prepared once, with the
// signature the candidate bounds read; each candidate is prepared into the
// scorer's own buffers, passed over when a bound shows that it cannot beat
// the caller's cutoff, and otherwise scored by the fast pair scorer with
// that cutoff. Nothing is allocated per candidate, except that
// the pair scorer grows its tables to the longest item it has met.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "engine/candidate_bounds.h"
#include "engine/longest_hit.h"
#include "engine/pair_scorer.h"
#include "records/record_index.h"
#include "scoring/item.h"
#include "scoring/item_rules.h"
#include "scoring/measure.h"

namespace vexaro {

class ReferenceScorer {
 public:
  // The rules, the measure and the statistics are copied. The reference
  // is a record as given (only its first kMaxRecordLength bytes count) and
  // is scored as a row's reference is: its control bytes become spaces.
  ReferenceScorer(const ItemRules& items, const Measure& measure, const RecordStats& stats,
                  std::string_view reference, PairScorer::Use use = PairScorer::Use::rows);
  ReferenceScorer(const ReferenceScorer&) = delete;
  ReferenceScorer& operator=(const ReferenceScorer&) = delete;

  // The literal score of `candidate`, a record as read, against the
  // reference when that score is above `cutoff`; otherwise some value not
  // above `cutoff`. Under -a9999 the score of the pair's own longest
  // common substring. Records hold no zero byte.
  int32_t score(std::string_view candidate, int32_t cutoff);
  // Under -a9999: the longest common substring that the last score found,
  // prepared bytes of the reference or the candidate, valid until the next
  // score; empty under the other measures.
  std::string_view last_substring() const {
    return {reinterpret_cast<const char*>(last_hit_.bytes), static_cast<size_t>(last_hit_.length)};
  }

 private:
  ItemView prepare_candidate(std::string_view candidate);

  const ItemRules items_;
  const Measure measure_;
  const RecordStats stats_;
  CandidateBounds bounds_;  // they view the prepared reference in reference_
  // Without an omit list or Metaphone keys, preparation maps each byte on
  // its own: per byte value what it becomes, 0 where it is left out.
  bool bytewise_ = false;
  std::array<uint8_t, 256> prepared_byte_{};
  // Buffers written before they are read, left unzeroed: a one-shot score
  // of short records would spend a good part of its time zeroing them.
  std::array<uint8_t, kPreparedRoom> reference_;
  std::array<uint8_t, kMaxRecordLength + 1> raw_;  // the record last stored, zero-ended
  std::array<uint8_t, kPreparedRoom> candidate_;
  PairScorer pair_;
  LongestHit last_hit_;
};

}  // namespace vexaro
