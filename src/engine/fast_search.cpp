#include "engine/fast_search.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "engine/gram_index.h"
#include "engine/grams.h"
#include "engine/lanes.h"
#include "engine/pair_scorer.h"
#include "engine/prepared_records.h"
#include "engine/row_bounds.h"
#include "engine/slot_prefixes.h"
#include "engine/worker_pool.h"
#include "scoring/score_formula.h"

namespace vexaro {
namespace {

// A candidate whose bound showed it cannot beat the best before it.
constexpr int32_t kSkipped = INT32_MIN;
// A lane's share of a row is searched in blocks: the first in slot order, whose
// best soon makes a threshold that prunes most of the rest; then blocks of
// the candidates that threshold lists, each larger and listed anew.
constexpr int32_t kFirstBlock = 128;
constexpr int32_t kLargestBlock = 1 << 14;
// Rows are split between threads when they have this many candidates and
// rows lately took this long on one thread: splitting costs a wake-up, and
// a row shared by stretches of slots is first counted on one thread.
constexpr int32_t kParallelRow = 128;
constexpr std::chrono::microseconds kWorthSplitting{20};
constexpr std::chrono::microseconds kWorthSplittingBySlots{60};
// Candidates a lane scores between looks at the bests the others have shown.
constexpr int32_t kTurn = 8;

using Clock = std::chrono::steady_clock;

class FastSearch : public RowSearch {
 public:
  FastSearch(const Settings& settings, const RecordIndex& index, int threads, bool split_every_row)
      : split_every_row_(split_every_row),
        index_(index),
        records_(settings, index),
        pool_(threads),
        single_(settings.single && !settings.bytdif),
        bytdif_(settings.bytdif),
        grams_(make_grams(settings, index, records_)),
        bounds_(settings, index, records_, grams_ ? &*grams_ : nullptr),
        lanes_(settings, index.stats, pool_.size(), index.size()) {}

  void begin_row(Slots& slots, int32_t row) override {
    row_started_ = Clock::now();
    if (!started_) place_slots(slots);
    slots_ = &slots;
    row_ = row;
    const int32_t count = static_cast<int32_t>(slots.size());
    bounds_.load_reference(slots[row]);
    if (prefixes_) prefixes_->load_reference(bounds_.reference());
    if (grams_) {
      grams_->retire(slots[row]);
      grams_->prepare_row(bounds_.reference());
    }
    // Rows split between threads only while they take long enough to repay
    // waking the others; which rows split never changes what is found.
    lanes_used_ = pool_.size() > 1 && count - row - 1 >= kParallelRow &&
                          (split_every_row_ || row_time_ >= worth_splitting())
                      ? pool_.size()
                      : 1;
    lanes_.share_out(row, count, lanes_used_, grams_ ? grams_->words() : 0);
    if (lanes_used_ == 1) return;
    if (grams_ && !lanes_.by_words()) grams_->count_words(0, grams_->words());
    // The other lanes start now; lane 0 waits for finish_row, after the
    // caller's write, and the borders move to make up for its late start.
    pool_.start([this](int lane) {
      const Clock::time_point lane_started = Clock::now();
      search_lane(lane);
      lanes_[lane].busy = Clock::now() - lane_started;
    });
  }

  RowResult finish_row() override {
    const Clock::time_point searched = Clock::now();
    search_lane(0);
    lanes_[0].busy = Clock::now() - row_started_;
    Clock::duration took = Clock::now() - searched;
    if (lanes_used_ > 1) {
      pool_.wait();
      lanes_.balance(lanes_used_);
      // What the row would take on one thread: the lanes' own times, which
      // leave out waking them.
      took = {};
      for (int lane = 0; lane < lanes_used_; ++lane) took += lanes_[lane].busy;
    }
    const int32_t best = apply();
    row_time_ = (row_time_ * 7 + took) / 8;
    return {best, single_ ? std::string_view(Sxstrng_) : std::string_view()};
  }

  void abandon_row() override {
    if (lanes_used_ > 1) pool_.wait();
  }

 private:
  static std::optional<GramIndex> make_grams(const Settings& settings, const RecordIndex& index,
                                             const PreparedRecords& records) {
    std::optional<GramIndex> grams;
    if (pieces_hold_grams(settings) && !settings.bytdif) grams.emplace(records, index);
    return grams;
  }

  // The first row tells the index and the -b prefixes where each record stands.
  void place_slots(const Slots& slots) {
    started_ = true;
    if (grams_) {
      for (int32_t j = 0; j < static_cast<int32_t>(slots.size()); ++j) grams_->place(slots[j], j);
    }
    if (bytdif_) prefixes_.emplace(records_, index_.stats, slots);
  }

  // How long rows must have taken lately for this one to be split.
  std::chrono::microseconds worth_splitting() const {
    return grams_ && grams_->words() >= LaneSchedule::kFewestWordsToShare ? kWorthSplitting
                                                                          : kWorthSplittingBySlots;
  }

  // What the first candidate of a row must beat.
  int32_t row_start() const { return single_ ? 0 : -1; }

  // Whether the candidate is the lane's to search.
  bool owns(const Lane& lane, int32_t record) const {
    if (!grams_) return true;
    const int32_t word = grams_->word_of(record);
    return word >= lane.first_word && word < lane.end_word;
  }

  void search_lane(int index) {
    Lane& lane = lanes_[index];
    if (grams_ && lanes_.by_words()) grams_->count_words(lane.first_word, lane.end_word);
    lane.taken.clear();
    lane.scores.clear();
    lane.hits.clear();
    lane.block.clear();
    if (prefixes_) {
      sweep_lane(lane, index);
      return;
    }
    const Slots& slots = *slots_;
    int32_t best = row_start();  // what a candidate must beat: a score, or a hit's length
    for (int32_t j = lane.from;
         j < lane.to && static_cast<int32_t>(lane.block.size()) < kFirstBlock; ++j) {
      if (owns(lane, slots[j])) lane.block.push_back(j);
    }
    for (int32_t size = kFirstBlock;; size = std::min(size * 4, kLargestBlock)) {
      const int32_t end = std::min(static_cast<int32_t>(lane.block.size()), size);
      if (end == 0) break;
      for (int32_t i = 0; i < end; ++i) {
        const int32_t j = lane.block[i];
        if (lanes_used_ > 1 && i % kTurn == 0)
          best = std::max(best, lanes_.shown_before(index, lanes_used_, j));
        const int32_t found = evaluate(lane, j, slots[j], best);
        if (found > best) {
          best = found;
          LaneSchedule::show(lane, j, best);
        }
      }
      const int32_t next = lane.block[end - 1] + 1;
      if (next >= lane.to) break;
      if (lanes_used_ > 1) best = std::max(best, lanes_.shown_before(index, lanes_used_, next));
      list(lane, next, best);
    }
  }

  // Under -b: every slot of the share in turn, from the slot-ordered copies
  // of the candidates' first bytes.
  void sweep_lane(Lane& lane, int index) {
    int32_t best = row_start();
    for (int32_t j = lane.from; j < lane.to; ++j) {
      if (lanes_used_ > 1 && (j - lane.from) % kTurn == 0)
        best = std::max(best, lanes_.shown_before(index, lanes_used_, j));
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
  // what may change the row is kept: a scored candidate, a hit, and in
  // single mode the row's first slot, whose score the row starts from.
  int32_t evaluate(Lane& lane, int32_t j, int32_t record, int32_t best) {
    if (single_) {
      SingleHit hit;
      if (!bounds_.cannot_be_longer(record, best)) {
        hit = lane.scorer->single_hit(bounds_.reference(), records_.candidate(record));
      }
      if (hit.length > 0 || j == row_ + 1) {
        lane.taken.push_back(j);
        lane.hits.push_back(hit);
      }
      return hit.length;
    }
    if (bounds_.cannot_beat(record, best)) return kSkipped;
    const int32_t score = lane.scorer->score(bounds_.reference(), records_.candidate(record),
                                             bounds_.Sleni(), index_.linlens[record], best);
    lane.taken.push_back(j);
    lane.scores.push_back(score);
    return score;
  }

  // Lists, in slot order, the lane's slots from `first` on whose candidate
  // could beat `best` by its coverage; all of them without a gram index.
  // They are marked in a bitset by slot, which then reads them out in slot
  // order.
  void list(Lane& lane, int32_t first, int32_t best) {
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
          if (j >= first && j < end) lane.listed[j >> 6] |= uint64_t{1} << (j & 63);
        });
    for (int32_t w = first >> 6; w <= (end - 1) >> 6; ++w) {
      for (uint64_t bits = lane.listed[w]; bits != 0; bits &= bits - 1) {
        lane.block.push_back(w * 64 + __builtin_ctzll(bits));
      }
      lane.listed[w] = 0;
    }
  }

  // Takes the lanes' evaluated candidates into the row's search, in slot
  // order; returns the row's best score.
  int32_t apply() {
    int32_t MaxVal = -1, Sxmatw = 0;
    Sxstrng_.clear();
    lanes_.merge(lanes_used_, [&](const Lane& lane, size_t i) {
      int32_t value;
      if (single_) {
        if (lane.hits[i].length > Sxmatw) {
          Sxmatw = lane.hits[i].length;
          Sxstrng_.assign(reinterpret_cast<const char*>(lane.hits[i].bytes), Sxmatw);
        }
        value = single_score(index_.stats, Sxmatw);
      } else {
        value = lane.scores[i];
      }
      if (value <= MaxVal) return;
      MaxVal = value;
      exchange(lane.taken[i]);
    });
    return MaxVal;
  }

  // Moves the candidate in slot j to slot row+1, as a strict improvement does.
  void exchange(int32_t j) {
    Slots& slots = *slots_;
    std::swap(slots[j], slots[row_ + 1]);
    if (prefixes_) prefixes_->swap(j, row_ + 1);
    if (grams_) {
      grams_->place(slots[j], j);
      grams_->place(slots[row_ + 1], row_ + 1);
    }
  }

  const bool split_every_row_;
  const RecordIndex& index_;
  const PreparedRecords records_;
  WorkerPool pool_;
  // Single mode, where rows keep their longest substring; under -b it scores
  // byte differences like any other run.
  const bool single_;
  const bool bytdif_;
  std::optional<SlotPrefixes> prefixes_;  // under -b, made with the first row's slots
  std::optional<GramIndex> grams_;
  RowBounds bounds_;
  LaneSchedule lanes_;      // one lane per thread
  Slots* slots_ = nullptr;  // the slots of the row being searched
  int32_t row_ = 0;         // the row being searched
  int lanes_used_ = 1;      // how many lanes share it
  bool started_ = false;    // whether the first row has placed the slots
  Clock::time_point row_started_;
  Clock::duration row_time_ = kWorthSplitting;
  std::string Sxstrng_;
};

}  // namespace

std::unique_ptr<RowSearch> make_fast_search(const Settings& settings, const RecordIndex& index,
                                            int threads, bool split_every_row) {
  return std::make_unique<FastSearch>(settings, index, std::max(threads, 1), split_every_row);
}

std::unique_ptr<RowSearch> make_default_search(const Settings& settings, const RecordIndex& index) {
  return make_fast_search(settings, index, default_thread_count());
}

}  // namespace vexaro
