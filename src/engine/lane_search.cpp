// SPDX-License-Identifier: MIT
#include "engine/lane_search.h"

#include <algorithm>
#include <climits>

#include "common/check.h"

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

LaneSearch::LaneSearch(const ItemRules& items, const Measure& measure, const RecordIndex& index,
                       const PreparedRecords& records, const CandidateBounds& bounds,
                       GramIndex* grams, const SlotPrefixes* prefixes, LaneSchedule& schedule)
    : index_(index),
      records_(records),
      bounds_(bounds),
      grams_(grams),
      prefixes_(prefixes),
      schedule_(schedule),
      longest_substrings_(measure.longest_substrings()) {
  VEXARO_ASSERT((prefixes != nullptr) == measure.byte_difference());
  for (int lane = 0; lane < schedule.size(); ++lane) {
    lanes_.push_back(
        std::make_unique<Lane>(items, measure, index.stats, index.size(), records.twin_classes()));
  }
}

// Under -b: every slot of the share in turn, from the slot-ordered copies
// of the candidates' first bytes.
void LaneSearch::sweep(Lane& lane, const Share& share, int index, int lanes_used) {
  int32_t best = -1;
  for (int32_t j = share.from; j < share.to; ++j) {
    if (lanes_used > 1 && (j - share.from) % kTurn == 0)
      best = std::max(best, schedule_.shown_before(index, lanes_used, j));
    const int32_t score = prefixes_->score(j, best);
    if (score <= best) continue;
    lane.keep(j, score);
    best = score;
    schedule_.show(index, j, best);
  }
}

// Evaluates the candidate in slot j against `best`; returns what it found
// that the row's best can only exceed (a score or a hit's length). Only
// what may change the row is kept: a scored candidate, a hit, and in single
// mode the row's first slot, whose score the row starts from.
inline int32_t LaneSearch::evaluate(Lane& lane, int32_t j, int32_t record, int32_t best,
                                    int32_t row) {
  if (longest_substrings_) {
    LongestHit hit;
    if (!bounds_.cannot_be_longer(candidate(record), best) && !seen_twin(lane, record, row)) {
      hit = lane.scorer().longest_hit(bounds_.reference(), records_.candidate(record));
    }
    if (hit.length > 0 || j == row + 1) lane.keep(j, hit);
    return hit.length;
  }
  if (bounds_.cannot_beat(candidate(record), best, &lane.trials()) || seen_twin(lane, record, row))
    return kSkipped;
  const int32_t score =
      lane.scorer().score(bounds_.reference(), records_.candidate(record),
                          bounds_.reference_stored(), index_.stored_lengths[record], best);
  lane.keep(j, score);
  return score;
}

// A twin of a candidate the lane looked at earlier in the row scores what
// that one scored, which the lane's best has reached since: it cannot beat
// it, nor, in longest-substrings mode, bring a longer substring. Asked only of the
// candidates that the bounds let through, the few that cost a score.
inline bool LaneSearch::seen_twin(Lane& lane, int32_t record, int32_t row) const {
  const int32_t twin = records_.twin_class(record);
  return twin >= 0 && lane.met_twin(twin, row);
}

// Lists, in slot order, the lane's slots from `first` on whose candidate
// could beat `best` by its coverage; all of them without a gram index. They
// are marked in a bitset by slot, which then reads them out in slot order.
inline void LaneSearch::list(Lane& lane, const Share& share, int32_t first, int32_t best) {
  const int32_t end = share.to;
  if (!grams_) {
    lane.clear_block();
    for (int32_t j = first; j < end; ++j) lane.add_to_block(j);
    return;
  }
  // Neighbouring words mostly hold the same lengths, which decide the need.
  int32_t shortest = -1, longest_read = -1, least = 0;
  grams_->collect(
      share.first_word, share.end_word,
      [&](int32_t word) {
        if (grams_->shortest(word) != shortest || grams_->longest_read(word) != longest_read) {
          shortest = grams_->shortest(word);
          longest_read = grams_->longest_read(word);
          least = bounds_.least_coverage(shortest, longest_read, best);
        }
        return least;
      },
      [&](int32_t j) {
        if (j >= first && j < end) lane.list(j);
      });
  lane.take_listed(first, end);
}

// Whether the candidate is the lane's to search.
inline bool LaneSearch::owns(const Share& share, int32_t record) const {
  if (!grams_) return true;
  const int32_t word = grams_->word_of(record);
  return word >= share.first_word && word < share.end_word;
}

void LaneSearch::search(int index, int lanes_used, const Slots& slots, int32_t row) {
  VEXARO_ASSERT(index >= 0 && index < lanes_used && lanes_used <= schedule_.size());
  Lane& lane = *lanes_[index];
  const Share& share = schedule_.share(index);
  VEXARO_ASSERT(share.from > row && share.to <= static_cast<int32_t>(slots.size()));
  if (grams_ && schedule_.by_words()) grams_->count_words(share.first_word, share.end_word);
  lane.start_row();
  if (prefixes_ != nullptr) {
    sweep(lane, share, index, lanes_used);
    return;
  }
  // What a candidate must beat: a score, or in longest-substrings mode a hit's length.
  int32_t best = longest_substrings_ ? 0 : -1;
  for (int32_t j = share.from;
       j < share.to && static_cast<int32_t>(lane.block().size()) < kFirstBlock; ++j) {
    if (owns(share, slots[j])) lane.add_to_block(j);
  }
  for (int32_t size = kFirstBlock;; size = std::min(size * 4, kLargestBlock)) {
    const std::vector<int32_t>& block = lane.block();
    const int32_t end = std::min(static_cast<int32_t>(block.size()), size);
    if (end == 0) break;
    for (int32_t i = 0; i < end; ++i) {
      const int32_t j = block[i];
      if (lanes_used > 1 && i % kTurn == 0)
        best = std::max(best, schedule_.shown_before(index, lanes_used, j));
      const int32_t found = evaluate(lane, j, slots[j], best, row);
      if (found > best) {
        best = found;
        schedule_.show(index, j, best);
      }
    }
    const int32_t next = block[end - 1] + 1;
    if (next >= share.to) break;
    if (lanes_used > 1) best = std::max(best, schedule_.shown_before(index, lanes_used, next));
    list(lane, share, next, best);
  }
}

}  // namespace vexaro
