// SPDX-License-Identifier: MIT
#include "engine/reference_scorer.h"

#include <algorithm>
#include <cstring>

#include "engine/grams.h"
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

}  // namespace

ReferenceScorer::ReferenceScorer(const ItemRules& items, const Measure& measure,
                                 const RecordStats& stats, std::string_view reference,
                                 PairScorer::Use use)
    : items_(items), measure_(measure), stats_(stats), pair_(items, measure, stats_, use) {
  // prepare_item's filter and fold, as a table.
  bytewise_ = !items.omit_in_use && !items.phonetic_keys;
  for (int b = 1; b < 256; ++b) prepared_byte_[b] = prepared_byte(items, static_cast<uint8_t>(b));
  Sleni_ = store(reference, raw_.data());
  rewrite_control_bytes(raw_.data(), raw_.data());
  const int32_t length = prepare_item(items, working_start(items, raw_.data()), reference_.data());
  reference_view_ = {reference_.data(), length};
  signature_ = sign(measure, reference_view_);
  const auto& bits = signature_.grams.bits;
  std::copy(bits.begin(), bits.end(), reference_grams_.begin());
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
  if (measure_.byte_difference())
    return pair_.score(reference_view_, item, Sleni_, candidate_stored, cutoff);
  if (measure_.longest_substrings()) {
    return single_score(stats_, pair_.single_hit(reference_view_, item).length);
  }
  // Common-substring scores are never negative: a lower cutoff bounds nothing.
  if (cutoff >= 0 && cannot_beat(item, candidate_stored, cutoff)) return cutoff;
  return pair_.score(reference_view_, item, Sleni_, candidate_stored, cutoff);
}

// The row bounds' tests for one candidate: its length, then the bytes of
// it that q-grams of the reference cover, or without q-grams the bytes the
// two share by value.
bool ReferenceScorer::cannot_beat(ItemView candidate, int32_t candidate_stored, int32_t cutoff) {
  const PairLengths lengths = pair_lengths(reference_view_.length, candidate.length);
  const BeatingSum beating = beating_sum(measure_, stats_, cutoff, lengths.pattern_length,
                                         lengths.searched_length, Sleni_, candidate_stored);
  auto cannot = [&](Coverage c) {
    return falls_short(measure_, c, lengths.searched_length, beating);
  };
  const int32_t most = std::min(signature_.counted, candidate.length);
  if (cannot({most, most})) return true;
  if (!pieces_hold_grams(measure_)) {
    const int32_t shared = shared_bytes(signature_.counts, sign(measure_, candidate).counts);
    return cannot({shared, shared});
  }
  Coverage c = item_coverage(candidate, reference_grams_.data(), measure_.by_length());
  c.covered = std::min(c.covered, most);
  c.longest = std::min(c.longest, c.covered);
  return cannot(c);
}

}  // namespace vexaro
