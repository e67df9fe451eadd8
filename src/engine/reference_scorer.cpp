// SPDX-License-Identifier: MIT
#include "engine/reference_scorer.h"

#include <algorithm>
#include <cstring>

#include "scoring/score_formula.h"

namespace vexaro {
namespace {

// The record's stored bytes, zero-ended, in `out`; returns its stored length.
int32_t store(std::string_view record, uint8_t* out) {
  const size_t length = std::min<size_t>(record.size(), kMaxRecordLength);
  std::memcpy(out, record.data(), length);
  out[length] = 0;
  return static_cast<int32_t>(length);
}

// A candidate as given, for the bounds: only the bytes it shares by value
// with the reference take a pass over it of their own.
class GivenCandidate {
 public:
  GivenCandidate(const Measure& measure, ItemView item, int32_t stored)
      : measure_(measure), item_(item), stored_(stored) {}
  int32_t length() const { return item_.length; }
  int32_t stored() const { return stored_; }
  int32_t most_matched() const { return item_.length; }
  ByteCounts counts() const { return sign(measure_, item_).counts; }
  Coverage coverage(const uint64_t* grams, bool runs) const {
    return item_coverage(item_, grams, runs);
  }

 private:
  const Measure& measure_;
  const ItemView item_;
  const int32_t stored_;
};

}  // namespace

ReferenceScorer::ReferenceScorer(const ItemRules& items, const Measure& measure,
                                 const RecordStats& stats, std::string_view reference,
                                 PairScorer::Use use)
    : items_(items),
      measure_(measure),
      stats_(stats),
      bounds_(measure, stats_),
      pair_(items, measure, stats_, use) {
  // prepare_item's filter and fold, as a table.
  bytewise_ = !items.omit_in_use && !items.phonetic_keys;
  for (int b = 1; b < 256; ++b) prepared_byte_[b] = prepared_byte(items, static_cast<uint8_t>(b));
  const int32_t reference_stored = store(reference, raw_.data());
  rewrite_control_bytes(raw_.data(), raw_.data());
  const int32_t length = prepare_item(items, working_start(items, raw_.data()), reference_.data());
  bounds_.load_reference({reference_.data(), length}, reference_stored);
}

// The candidate as the scorer compares it: cut to the stored length, from
// its working start, prepared.
ItemView ReferenceScorer::prepare_candidate(std::string_view candidate) {
  store(candidate, raw_.data());
  const uint8_t* text = working_start(items_, raw_.data());
  if (!bytewise_) return {candidate_.data(), prepare_item(items_, text, candidate_.data())};
  // Every byte is written and the count moves past the kept ones only: a
  // test per byte would be mispredicted at every byte left out.
  int32_t length = 0;
  for (; *text != 0; ++text) {
    const uint8_t byte = prepared_byte_[*text];
    candidate_[length] = byte;
    length += byte != 0;
  }
  candidate_[length] = 0;
  return {candidate_.data(), length};
}

int32_t ReferenceScorer::score(std::string_view candidate, int32_t cutoff) {
  const int32_t candidate_stored =
      static_cast<int32_t>(std::min<size_t>(candidate.size(), kMaxRecordLength));
  const ItemView item = prepare_candidate(candidate);
  const ItemView reference = bounds_.reference();
  const int32_t reference_stored = bounds_.reference_stored();
  switch (measure_.kind) {
    case MeasureKind::byte_difference:
      break;
    case MeasureKind::longest_substrings:
      last_hit_ = pair_.longest_hit(reference, item);
      return longest_substring_score(stats_, last_hit_.length);
    case MeasureKind::common_pieces:
      // Common-piece scores are never negative: a lower cutoff bounds nothing.
      if (cutoff >= 0 &&
          bounds_.cannot_beat(GivenCandidate(measure_, item, candidate_stored), cutoff, nullptr))
        return cutoff;
      break;
  }
  return pair_.score(reference, item, reference_stored, candidate_stored, cutoff);
}

}  // namespace vexaro
