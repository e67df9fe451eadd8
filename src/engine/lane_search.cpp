// SPDX-License-Identifier: MIT
#include "engine/lane_search.h"

#include <algorithm>
#include <climits>

#include "common/bits.h"

namespace vexaro {
namespace {

// A candidate whose bound showed it cannot beat the best before it.
constexpr int32_t kSkipped = INT32_MIN;
// The first block, in slot order, and the largest listed one.
constexpr int32_t kFirstBlock = 128;
constexpr int32_t kLargestBlock = 1 << 14;
// Candidates a lane scores between looks at the bests the others have shown.
constexpr int32_t kTurn = 8;

}  // namespace

// Under -b: every slot of the share in turn, from the slot-ordered copies
// of the candidates' first bytes.
void LaneSearch::sweep(Lane& lane, int index, int lanes_used) {
  int32_t best = -1;
  for (int32_t j = lane.from; j < lane.to; ++j) {
    if (lanes_used > 1 && (j - lane.from) % kTurn == 0)
      best = std::max(best, lanes_.shown_before(index, lanes_used, j));
    const int32_t score = prefixes_->score(j, best);
    if (score <= best) continue;
    lane.taken.push_back(j);
    lane.scores.push_back(score);
    best = score;
    LaneSchedule::show(lane, j, best);
  }
}

// Evaluates the candidate in slot j against `best`; returns what it found
// that the row's best can only exceed (a score or a hit's length). Only
// what may change the row is kept: a scored candidate, a hit, and in single
// mode the row's first slot, whose score the row starts from.
inline int32_t LaneSearch::evaluate(Lane& lane, int32_t j, int32_t record, int32_t best,
                                    int32_t row) {
  if (longest_substrings_) {
    SingleHit hit;
    if (!bounds_.cannot_be_longer(record, best) && !seen_twin(lane, record, row)) {
      hit = lane.scorer->single_hit(bounds_.reference(), records_.candidate(record));
    }
    if (hit.length > 0 || j == row + 1) {
      lane.taken.push_back(j);
      lane.hits.push_back(hit);
    }
    return hit.length;
  }
  if (bounds_.cannot_beat(record, best, lane.trials) || seen_twin(lane, record, row))
    return kSkipped;
  const int32_t score =
      lane.scorer->score(bounds_.reference(), records_.candidate(record),
                         bounds_.reference_stored(), index_.stored_lengths[record], best);
  lane.taken.push_back(j);
  lane.scores.push_back(score);
  return score;
}

// A twin of a candidate the lane looked at earlier in the row scores what
// that one scored, which the lane's best has reached since: it cannot beat
// it, nor, in single mode, bring a longer substring. Asked only of the
// candidates that the bounds let through, the few that cost a score.
inline bool LaneSearch::seen_twin(Lane& lane, int32_t record, int32_t row) const {
  const int32_t twin = records_.twin_class(record);
  if (twin < 0) return false;
  if (lane.twin_seen[twin] == row + 1) return true;
  lane.twin_seen[twin] = row + 1;
  return false;
}

// Lists, in slot order, the lane's slots from `first` on whose candidate
// could beat `best` by its coverage; all of them without a gram index. They
// are marked in a bitset by slot, which then reads them out in slot order.
inline void LaneSearch::list(Lane& lane, int32_t first, int32_t best) {
  lane.block.clear();
  const int32_t end = lane.to;
  if (!grams_) {
    for (int32_t j = first; j < end; ++j) lane.block.push_back(j);
    return;
  }
  grams_->collect(
      lane.first_word, lane.end_word,
      [&](int32_t word) { return bounds_.least_coverage(word, best); },
      [&](int32_t j) {
        if (j >= first && j < end) set_bit(lane.listed.data(), j);
      });
  if (first >= end) return;
  for (int32_t w = word_of_bit(first); w <= word_of_bit(end - 1); ++w) {
    for_each_bit(lane.listed[w], [&](int place) { lane.block.push_back(w * kWordBits + place); });
    lane.listed[w] = 0;
  }
}

// Whether the candidate is the lane's to search.
inline bool LaneSearch::owns(const Lane& lane, int32_t record) const {
  if (!grams_) return true;
  const int32_t word = grams_->word_of(record);
  return word >= lane.first_word && word < lane.end_word;
}

void LaneSearch::search(int index, int lanes_used, const Slots& slots, int32_t row) {
  Lane& lane = lanes_[index];
  if (grams_ && lanes_.by_words()) grams_->count_words(lane.first_word, lane.end_word);
  lane.trials = {};
  lane.taken.clear();
  lane.scores.clear();
  lane.hits.clear();
  lane.block.clear();
  if (prefixes_ != nullptr) {
    sweep(lane, index, lanes_used);
    return;
  }
  // What a candidate must beat: a score, or in single mode a hit's length.
  int32_t best = longest_substrings_ ? 0 : -1;
  for (int32_t j = lane.from; j < lane.to && static_cast<int32_t>(lane.block.size()) < kFirstBlock;
       ++j) {
    if (owns(lane, slots[j])) lane.block.push_back(j);
  }
  for (int32_t size = kFirstBlock;; size = std::min(size * 4, kLargestBlock)) {
    const int32_t end = std::min(static_cast<int32_t>(lane.block.size()), size);
    if (end == 0) break;
    for (int32_t i = 0; i < end; ++i) {
      const int32_t j = lane.block[i];
      if (lanes_used > 1 && i % kTurn == 0)
        best = std::max(best, lanes_.shown_before(index, lanes_used, j));
      const int32_t found = evaluate(lane, j, slots[j], best, row);
      if (found > best) {
        best = found;
        LaneSchedule::show(lane, j, best);
      }
    }
    const int32_t next = lane.block[end - 1] + 1;
    if (next >= lane.to) break;
    if (lanes_used > 1) best = std::max(best, lanes_.shown_before(index, lanes_used, next));
    list(lane, next, best);
  }
}

}  // namespace vexaro
