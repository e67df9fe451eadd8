#include "fast_search.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fast_scorer.h"
#include "gram_index.h"
#include "prepared_records.h"
#include "row_bounds.h"
#include "similarity.h"
#include "worker_pool.h"

namespace vexaro {
namespace {

// A candidate whose bound showed it cannot beat the best before it.
constexpr int32_t kSkipped = INT32_MIN;
// A stretch of a row is searched in blocks: the first in slot order, whose
// best soon makes a threshold that prunes most of the rest; then blocks of
// the candidates that threshold lists, each larger and listed anew.
constexpr int32_t kFirstBlock = 128;
constexpr int32_t kLargestBlock = 1 << 14;
// Rows are split between threads when they have this many candidates and
// rows lately took this long on one thread: splitting costs a wake-up.
constexpr int32_t kParallelRow = 1024;
constexpr std::chrono::microseconds kWorthSplitting{20};
// How far a border between stretches moves after a row, as a share of the
// room it has.
constexpr double kBalanceStep = 0.02;
// Candidates a thread scores between looks at the best of the threads before.
constexpr int32_t kTurn = 8;

// One thread's share of a row: a stretch of slots, searched in slot order
// against its own best and the best the stretches before it have shown.
// What it finds is applied after all stretches are searched, in slot order,
// so the outcome is that of a one-by-one search.
struct Lane {
  std::unique_ptr<PairScorer> scorer;
  std::vector<int32_t> taken;    // slots scored, ascending
  std::vector<int32_t> scores;   // per slot taken: its score, or a value not above the best before
  std::vector<SingleHit> hits;   // per slot taken, in single mode: its first hit
  std::vector<int32_t> block;    // slots of the next block
  std::vector<uint64_t> listed;  // slots of the stretch that may beat its best, as bits
  alignas(64) std::atomic<int32_t> shown{-1};  // its best so far, for the lanes after it
  double starts_at = 0;                        // where its stretch begins, as a share of the row
  std::chrono::steady_clock::duration busy{};
};

class FastSearch : public RowSearch {
 public:
  FastSearch(const Settings& settings, const RecordIndex& index, int threads)
      : index_(index),
        records_(settings, index),
        pool_(threads),
        single_(settings.single && !settings.bytdif),
        grams_(make_grams(settings, index, records_)),
        bounds_(settings, index, records_, grams_ ? &*grams_ : nullptr) {
    for (int t = 0; t < pool_.size(); ++t) {
      auto lane = std::make_unique<Lane>();
      lane->scorer = std::make_unique<PairScorer>(settings, index.stats);
      lane->listed.assign(index.size() / 64 + 1, 0);
      lane->starts_at = static_cast<double>(t) / pool_.size();
      lanes_.push_back(std::move(lane));
    }
  }

  int32_t search_row(Slots& slots, int32_t row, const uint8_t* /*reference*/) override {
    if (slot_of_.empty()) {
      slot_of_.resize(slots.size());
      for (int32_t s = 0; s < static_cast<int32_t>(slots.size()); ++s) slot_of_[slots[s]] = s;
    }
    const int32_t count = static_cast<int32_t>(slots.size());
    row_ = row;
    bounds_.load_reference(slots[row]);
    if (grams_) {
      grams_->retire(slots[row]);
      grams_->prepare_row(bounds_.reference());
    }
    // Rows split between threads only while they take long enough to repay
    // waking the others; which rows split never changes what is found.
    const auto started = std::chrono::steady_clock::now();
    const int32_t lanes =
        pool_.size() > 1 && count - row - 1 >= kParallelRow && row_time_ >= kWorthSplitting
            ? pool_.size()
            : 1;
    search_stretches(slots, row, lanes);
    RowState state{single_};
    Sxstrng_.clear();
    for (int lane = 0; lane < lanes; ++lane) apply(slots, row, *lanes_[lane], state);
    // A running mean of what a row would take on one thread.
    const auto took = (std::chrono::steady_clock::now() - started) * lanes;
    row_time_ = (row_time_ * 7 + took) / 8;
    return state.MaxVal;
  }

  std::string row_substring() const override { return Sxstrng_; }

 private:
  // Counts the row's coverage, then searches its slots in one stretch per
  // lane, each lane on its own thread.
  void search_stretches(const Slots& slots, int32_t row, int lanes) {
    const int32_t count = static_cast<int32_t>(slots.size());
    auto stretch = [&](int lane) {
      if (lane == 0) return row + 1;
      if (lane == lanes) return count;
      return row + 1 + static_cast<int32_t>((count - row - 1) * lanes_[lane]->starts_at);
    };
    if (lanes == 1) {
      if (grams_) grams_->count_words(0, grams_->words());
      search_lane(slots, 0, stretch(0), stretch(1));
      return;
    }
    counted_.store(0);
    // Shown bests are reset before any thread starts: a later stretch must
    // never see an earlier row's.
    for (int lane = 0; lane < lanes; ++lane) lanes_[lane]->shown.store(row_start());
    pool_.run([&](int lane) {
      count_share(lane, lanes);
      counted_.fetch_add(1);
      while (counted_.load() < lanes) std::this_thread::yield();
      const auto lane_started = std::chrono::steady_clock::now();
      search_lane(slots, lane, stretch(lane), stretch(lane + 1));
      lanes_[lane]->busy = std::chrono::steady_clock::now() - lane_started;
    });
    balance(lanes);
  }

  static std::optional<GramIndex> make_grams(const Settings& settings, const RecordIndex& index,
                                             const PreparedRecords& records) {
    std::optional<GramIndex> grams;
    if (gram_length(settings) > 0 && !settings.bytdif)
      grams.emplace(records, index, gram_length(settings));
    return grams;
  }

  // Moves the borders between stretches towards the lanes that finished
  // first: the work of a row is far from even along its slots. Only the
  // time a run takes depends on where the borders are.
  void balance(int lanes) {
    for (int lane = 1; lane < lanes; ++lane) {
      Lane& left = *lanes_[lane - 1];
      Lane& right = *lanes_[lane];
      const double low = lane == 1 ? 0.0 : left.starts_at;
      const double high = lane + 1 == lanes ? 1.0 : lanes_[lane + 1]->starts_at;
      const double step = left.busy > right.busy ? -kBalanceStep : kBalanceStep;
      right.starts_at = std::clamp(right.starts_at + step * (high - low), low + 0.01, high - 0.01);
    }
  }

  // What the first candidate of a row must beat.
  int32_t row_start() const { return single_ ? 0 : -1; }

  // This thread's share of the row's coverage counts.
  void count_share(int lane, int lanes) {
    if (!grams_) return;
    const int32_t words = grams_->words();
    const int32_t share = (words / lanes + 7) / 8 * 8;
    grams_->count_words(std::min(words, lane * share),
                        lane + 1 == lanes ? words : std::min(words, (lane + 1) * share));
  }

  void search_lane(const Slots& slots, int index, int32_t from, int32_t to) {
    Lane& lane = *lanes_[index];
    const Lane* before = index > 0 ? lanes_[index - 1].get() : nullptr;
    lane.taken.clear();
    lane.scores.clear();
    lane.hits.clear();
    lane.block.clear();
    int32_t best = row_start();  // what a candidate must beat: a score, or a hit's length
    for (int32_t j = from; j < std::min(to, from + kFirstBlock); ++j) lane.block.push_back(j);
    for (int32_t size = kFirstBlock;; size = std::min(size * 4, kLargestBlock)) {
      const int32_t end = std::min(static_cast<int32_t>(lane.block.size()), size);
      if (end == 0) break;
      for (int32_t i = 0; i < end; ++i) {
        if (before != nullptr && i % kTurn == 0) {
          best = std::max(best, before->shown.load(std::memory_order_relaxed));
        }
        const int32_t found = evaluate(lane, lane.block[i], slots[lane.block[i]], best);
        if (found > best) {
          best = found;
          lane.shown.store(best, std::memory_order_relaxed);
        }
      }
      const int32_t next = lane.block[end - 1] + 1;
      if (next >= to) break;
      list(lane, next, to, best);
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

  // Lists, in slot order, the slots from `first` to `end` whose candidate
  // could beat `best` by its coverage; all of them without an index.
  void list(Lane& lane, int32_t first, int32_t end, int32_t best) {
    lane.block.clear();
    if (!grams_) {
      for (int32_t j = first; j < end; ++j) lane.block.push_back(j);
      return;
    }
    // Marked in a bitset by slot, which then reads them out in slot order.
    grams_->collect([&](int32_t word) { return bounds_.least_coverage(word, best); },
                    [&](int32_t record) {
                      const int32_t j = slot_of_[record];
                      if (j >= first && j < end) lane.listed[j >> 6] |= uint64_t{1} << (j & 63);
                    });
    for (int32_t w = first >> 6; w <= (end - 1) >> 6; ++w) {
      for (uint64_t bits = lane.listed[w]; bits != 0; bits &= bits - 1) {
        lane.block.push_back(w * 64 + __builtin_ctzll(bits));
      }
      lane.listed[w] = 0;
    }
  }

  // What a row's search has found so far.
  struct RowState {
    bool single;
    int32_t MaxVal = -1;
    int32_t Sxmatw = 0;
  };

  // Takes a lane's evaluated candidates into the row's search, in slot order.
  void apply(Slots& slots, int32_t row, const Lane& lane, RowState& state) {
    for (size_t i = 0; i < lane.taken.size(); ++i) {
      int32_t value;
      if (state.single) {
        if (lane.hits[i].length > state.Sxmatw) {
          state.Sxmatw = lane.hits[i].length;
          Sxstrng_.assign(reinterpret_cast<const char*>(lane.hits[i].bytes), state.Sxmatw);
        }
        value = single_score(index_.stats, state.Sxmatw);
      } else {
        value = lane.scores[i];
      }
      if (value <= state.MaxVal) continue;
      state.MaxVal = value;
      const int32_t j = lane.taken[i];
      std::swap(slots[j], slots[row + 1]);
      slot_of_[slots[j]] = j;
      slot_of_[slots[row + 1]] = row + 1;
    }
  }

  const RecordIndex& index_;
  const PreparedRecords records_;
  WorkerPool pool_;
  // Single mode, where rows keep their longest substring; under -b it scores
  // byte differences like any other run.
  const bool single_;
  std::optional<GramIndex> grams_;
  RowBounds bounds_;
  std::vector<std::unique_ptr<Lane>> lanes_;  // one per thread
  std::atomic<int> counted_{0};               // threads done with their coverage counts
  std::vector<int32_t> slot_of_;              // per record: its slot
  int32_t row_ = 0;                           // the row being searched
  std::chrono::steady_clock::duration row_time_ = kWorthSplitting;
  std::string Sxstrng_;
};

}  // namespace

std::unique_ptr<RowSearch> make_fast_search(const Settings& settings, const RecordIndex& index,
                                            int threads) {
  return std::make_unique<FastSearch>(settings, index, std::max(threads, 1));
}

}  // namespace vexaro
