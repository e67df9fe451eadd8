// SPDX-License-Identifier: MIT
#include "engine/fast_search.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/check.h"
#include "engine/candidate_bounds.h"
#include "engine/gram_index.h"
#include "engine/grams.h"
#include "engine/lane.h"
#include "engine/lane_search.h"
#include "engine/lanes.h"
#include "engine/prepared_records.h"
#include "engine/slot_state.h"
#include "engine/worker_pool.h"
#include "scoring/item_rules.h"
#include "scoring/measure.h"
#include "scoring/score_formula.h"

namespace vexaro {
namespace {

// Rows are split between threads when they have this many candidates and
// rows lately took this long on one thread: splitting costs a wake-up, and
// a row shared by stretches of slots is first counted on one thread.
constexpr int32_t kParallelRow = 128;
constexpr std::chrono::microseconds kWorthSplitting{20};
constexpr std::chrono::microseconds kWorthSplittingBySlots{60};

using Clock = std::chrono::steady_clock;

// The gram index bounds the measures of pieces that hold q-grams.
std::optional<GramIndex> make_grams(const Measure& measure, const RecordIndex& index,
                                    const PreparedRecords& records) {
  std::optional<GramIndex> grams;
  if (pieces_hold_grams(measure) && !measure.byte_difference()) grams.emplace(records, index);
  return grams;
}

class FastSearch : public RowSearch {
 public:
  // Everything is set up here, for the first row's slots in record order.
  FastSearch(const ItemRules& items, const Measure& measure, const RecordIndex& index, int threads,
             bool split_every_row)
      : split_every_row_(split_every_row),
        measure_(measure),
        index_(index),
        records_(items, measure, index),
        pool_(threads),
        grams_(make_grams(measure, index, records_)),
        slot_state_(records_, index, measure, grams_ ? &*grams_ : nullptr),
        bounds_(measure, index.stats),
        schedule_(pool_.size(), index.size()),
        search_(items, measure, index, records_, bounds_, grams_ ? &*grams_ : nullptr,
                slot_state_.prefixes(), schedule_) {}

  void begin_row(Slots& slots, int32_t row) override {
    row_started_ = Clock::now();
    VEXARO_ASSERT(row == next_row_ && static_cast<int32_t>(slots.size()) == index_.size());
    VEXARO_ASSERT(row > 0 || std::is_sorted(slots.begin(), slots.end()));
    slots_ = &slots;
    row_ = row;
    const int32_t count = static_cast<int32_t>(slots.size());
    const int32_t reference = slots[row];
    bounds_.load_reference(records_.reference(reference), index_.stored_lengths[reference]);
    slot_state_.begin_row(slots, row, bounds_.reference());
    if (grams_) grams_->prepare_row(bounds_.reference());
    // Rows split between threads only while they take long enough to repay
    // waking the others; which rows split never changes what is found.
    lanes_used_ = pool_.size() > 1 && count - row - 1 >= kParallelRow &&
                          (split_every_row_ || row_time_ >= worth_splitting())
                      ? pool_.size()
                      : 1;
    schedule_.share_out(row, count, lanes_used_, grams_ ? grams_->words() : 0);
    if (lanes_used_ == 1) return;
    if (grams_ && !schedule_.by_words()) grams_->count_words(0, grams_->words());
    // The other lanes start now; lane 0 waits for finish_row, after the
    // caller's write, and the borders move to make up for its late start.
    pool_.start([this](int lane) {
      const Clock::time_point lane_started = Clock::now();
      search_.search(lane, lanes_used_, *slots_, row_);
      schedule_.note_busy(lane, Clock::now() - lane_started);
    });
  }

  RowResult finish_row() override {
    const Clock::time_point searched = Clock::now();
    search_.search(0, lanes_used_, *slots_, row_);
    const Clock::time_point done = Clock::now();
    // Lane 0's time counts from the row's start for the borders, which make
    // up for the line written first; what the row would take on one thread
    // is the lanes' own search times, without the write or the wake-ups.
    schedule_.note_busy(0, done - row_started_);
    Clock::duration took = done - searched;
    if (lanes_used_ > 1) {
      pool_.wait();
      schedule_.balance(lanes_used_);
      for (int lane = 1; lane < lanes_used_; ++lane) took += schedule_.busy(lane);
    }
    const int32_t best = apply();
    row_time_ = (row_time_ * 7 + took) / 8;
    next_row_ = row_ + 1;
    return {best, measure_.longest_substrings() ? std::string_view(longest_substring_)
                                                : std::string_view()};
  }

  void abandon_row() override {
    if (lanes_used_ > 1) pool_.wait();
  }

 private:
  // How long rows must have taken lately for this one to be split.
  std::chrono::microseconds worth_splitting() const {
    return grams_ && grams_->words() >= LaneSchedule::kFewestWordsToShare ? kWorthSplitting
                                                                          : kWorthSplittingBySlots;
  }

  // Takes the lanes' kept candidates into the row's search, in slot order;
  // returns the row's best score.
  int32_t apply() {
    int32_t best = -1, longest_length = 0;
    longest_substring_.clear();
    search_.merge(lanes_used_, [&](const Lane& lane, size_t i) {
      int32_t value;
      if (measure_.longest_substrings()) {
        const LongestHit& hit = lane.kept_hit(i);
        if (hit.length > longest_length) {
          longest_length = hit.length;
          longest_substring_.assign(reinterpret_cast<const char*>(hit.bytes), longest_length);
        }
        value = longest_substring_score(index_.stats, longest_length);
      } else {
        value = lane.kept_score(i);
      }
      if (value <= best) return;
      best = value;
      // A strict improvement moves to slot row+1 at once.
      slot_state_.exchange(*slots_, lane.kept_slot(i), row_ + 1);
    });
    return best;
  }

  const bool split_every_row_;
  const Measure measure_;
  const RecordIndex& index_;
  const PreparedRecords records_;
  WorkerPool pool_;
  std::optional<GramIndex> grams_;
  SlotState slot_state_;
  CandidateBounds bounds_;
  LaneSchedule schedule_;  // one lane per thread
  LaneSearch search_;
  Slots* slots_ = nullptr;  // the slots of the row being searched
  int32_t row_ = 0;         // the row being searched
  int32_t next_row_ = 0;    // the row that comes next
  int lanes_used_ = 1;      // how many lanes share it
  Clock::time_point row_started_;
  Clock::duration row_time_ = kWorthSplitting;
  std::string longest_substring_;
};

}  // namespace

std::unique_ptr<RowSearch> make_fast_search(const Settings& settings, const RecordIndex& index,
                                            int threads, bool split_every_row) {
  return std::make_unique<FastSearch>(item_rules_of(settings), measure_of(settings), index,
                                      std::max(threads, 1), split_every_row);
}

std::unique_ptr<RowSearch> make_default_search(const Settings& settings, const RecordIndex& index) {
  return make_fast_search(settings, index, default_thread_count());
}

}  // namespace vexaro
