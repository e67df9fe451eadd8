// SPDX-License-Identifier: MIT
// One reference scored against many candidates that come as byte strings
// rather than from a record index: the library's pair score, Scorer,
// best_match and matches. The reference is prepared once, with the
// signature the bounds read; each candidate is prepared into the scorer's
// own buffers, passed over when the bound of its q-gram coverage shows that
// it cannot beat the caller's cutoff, and otherwise scored by the fast pair
// scorer with that cutoff. Nothing is allocated per candidate, except that
// the pair scorer grows its tables to the longest item it has met.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "engine/coverage.h"
#include "engine/pair_scorer.h"
#include "engine/signature.h"
#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/item.h"

namespace vexaro {

class ReferenceScorer {
 public:
  // `settings` must outlive the scorer; `stats` are copied. The reference
  // is a record as given (only its first kMaxRecordLength bytes count) and
  // is scored as a row's reference is: its control bytes become spaces.
  ReferenceScorer(const Settings& settings, const RecordStats& stats, std::string_view reference,
                  PairScorer::Use use = PairScorer::Use::rows);
  ReferenceScorer(const ReferenceScorer&) = delete;
  ReferenceScorer& operator=(const ReferenceScorer&) = delete;

  // The literal score of `candidate`, a record as read, against the
  // reference when that score is above `cutoff`; otherwise some value not
  // above `cutoff`. Under -a9999 the score of the pair's own longest
  // common substring. Records hold no zero byte.
  int32_t score(std::string_view candidate, int32_t cutoff);

 private:
  ItemView prepare_candidate(std::string_view candidate);
  bool cannot_beat(ItemView candidate, int32_t candidate_stored, int32_t cutoff);

  const Settings& settings_;
  const RecordStats stats_;
  ItemView reference_view_{nullptr, 0};
  int32_t Sleni_ = 0;
  Signature signature_;
  // The reference's q-gram filter and a clear word, which the candidate's
  // windows holding a blank point into.
  std::array<uint64_t, GramFilter::kWords + 1> reference_grams_{};
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
};

}  // namespace vexaro
