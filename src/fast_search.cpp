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
#include "slot_prefixes.h"
#include "worker_pool.h"

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
// Lanes share a row by index words when there are this many, else by slots.
constexpr int32_t kFewestWordsToShare = 64;
// How far a border between shares moves after a row, as a share of the
// room it has.
constexpr double kBalanceStep = 0.02;
// Candidates a lane scores between looks at the bests the others have shown.
constexpr int32_t kTurn = 8;

// A lane's best at the moment a slot raised it.
struct Shown {
  int32_t slot;
  int32_t best;
};

// One thread's share of a row: the candidates of a range of the gram
// index's bitset words, or a stretch of slots, searched in slot order
// against its own best and the bests the other lanes showed before each
// slot. What it finds is applied after all lanes are done, in
// slot order, so the outcome is that of a one-by-one search.
struct Lane {
  std::unique_ptr<PairScorer> scorer;
  std::vector<int32_t> taken;    // slots scored, ascending
  std::vector<int32_t> scores;   // per slot taken: its score, or a value not above the best before
  std::vector<SingleHit> hits;   // per slot taken, in single mode: its first hit
  std::vector<int32_t> block;    // slots of the next block
  std::vector<uint64_t> listed;  // slots of the share that may beat its best, as bits
  int32_t from = 0, to = 0;      // the slots it searches
  int32_t first_word = 0, end_word = 0;             // the bitset words whose candidates are its own
  std::vector<Shown> shown;                         // each rise of its best, in slot order
  alignas(64) std::atomic<int32_t> shown_count{0};  // entries of `shown` the others may read
  std::vector<int32_t> read;                        // per lane: its entries already counted on
  double starts_at = 0;  // where its share begins, as a share of the slots or of the words
  std::chrono::steady_clock::duration busy{};
};

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
        bounds_(settings, index, records_, grams_ ? &*grams_ : nullptr) {
    for (int t = 0; t < pool_.size(); ++t) {
      auto lane = std::make_unique<Lane>();
      lane->scorer = std::make_unique<PairScorer>(settings, index.stats);
      lane->listed.assign(index.size() / 64 + 1, 0);
      lane->shown.resize(index.size());
      lane->read.resize(pool_.size());
      lane->starts_at = static_cast<double>(t) / pool_.size();
      lanes_.push_back(std::move(lane));
    }
  }

  int32_t search_row(Slots& slots, int32_t row, const uint8_t* reference) override {
    return search_row_while(slots, row, reference, [] { return true; });
  }

  int32_t search_row_while(Slots& slots, int32_t row, const uint8_t* /*reference*/,
                           const std::function<bool()>& meanwhile) override {
    if (!started_) {
      started_ = true;
      if (grams_) {
        for (int32_t j = 0; j < static_cast<int32_t>(slots.size()); ++j) grams_->place(slots[j], j);
      }
      if (bytdif_) prefixes_.emplace(records_, index_.stats, slots);
    }
    const int32_t count = static_cast<int32_t>(slots.size());
    row_ = row;
    bounds_.load_reference(slots[row]);
    if (prefixes_) prefixes_->load_reference(bounds_.reference());
    if (grams_) {
      grams_->retire(slots[row]);
      grams_->prepare_row(bounds_.reference());
    }
    // Rows split between threads only while they take long enough to repay
    // waking the others; which rows split never changes what is found.
    const int32_t lanes = pool_.size() > 1 && count - row - 1 >= kParallelRow &&
                                  (split_every_row_ || row_time_ >= worth_splitting())
                              ? pool_.size()
                              : 1;
    // Nothing to overlap, and not the row's time.
    if (lanes == 1 && !meanwhile()) return -1;
    const auto started = std::chrono::steady_clock::now();
    search_shares(slots, row, lanes, meanwhile);
    const int32_t best = apply(slots, row, lanes);
    // A running mean of what a row would take on one thread: for a split
    // row the lanes' own times, which leave out waking them.
    auto took = std::chrono::steady_clock::now() - started;
    if (lanes > 1) {
      took = {};
      for (int lane = 0; lane < lanes; ++lane) took += lanes_[lane]->busy;
    }
    row_time_ = (row_time_ * 7 + took) / 8;
    return best;
  }

  std::string row_substring() const override { return Sxstrng_; }

 private:
  // How long rows must have taken lately for this one to be split.
  std::chrono::microseconds worth_splitting() const {
    return grams_ && grams_->words() >= kFewestWordsToShare ? kWorthSplitting
                                                            : kWorthSplittingBySlots;
  }

  // Searches the row in one share per lane, each lane on its own thread;
  // with more than one, the first calls `meanwhile` before its share (and
  // searches on whatever it says), and the borders move to make up for it.
  void search_shares(const Slots& slots, int32_t row, int lanes,
                     const std::function<bool()>& meanwhile) {
    share_out(row, static_cast<int32_t>(slots.size()), lanes);
    if (lanes == 1) {
      search_lane(slots, 0, 1);
      return;
    }
    if (grams_ && !by_words_) grams_->count_words(0, grams_->words());
    pool_.run([&](int lane) {
      const auto lane_started = std::chrono::steady_clock::now();
      if (lane == 0) meanwhile();
      search_lane(slots, lane, lanes);
      lanes_[lane]->busy = std::chrono::steady_clock::now() - lane_started;
    });
    balance(lanes);
  }

  // Gives each lane its share of the row: with an index of enough bitset
  // words, the candidates of a range of them, whose counts it makes itself;
  // otherwise a stretch of slots, finer than a few words could be. Shown
  // bests are reset before any thread starts: a lane must never count on an
  // earlier row's.
  void share_out(int32_t row, int32_t count, int lanes) {
    const int32_t words = grams_ ? grams_->words() : 0;
    by_words_ = lanes == 1 || words >= kFewestWordsToShare;
    auto border = [&](int lane, int32_t size) {
      if (lane == 0) return 0;
      if (lane == lanes) return size;
      return static_cast<int32_t>(size * lanes_[lane]->starts_at);
    };
    for (int index = 0; index < lanes; ++index) {
      Lane& lane = *lanes_[index];
      lane.shown_count.store(0, std::memory_order_relaxed);
      std::fill(lane.read.begin(), lane.read.end(), 0);
      lane.first_word = 0;
      lane.end_word = words;
      if (by_words_) {
        lane.from = row + 1;
        lane.to = count;
        // Borders fall on whole cache lines of the bitsets, 8 words, so that
        // lanes never write to the same line.
        if (index > 0) lane.first_word = border(index, words) / 8 * 8;
        if (index + 1 < lanes) lane.end_word = border(index + 1, words) / 8 * 8;
      } else {
        lane.from = row + 1 + border(index, count - row - 1);
        lane.to = row + 1 + border(index + 1, count - row - 1);
      }
    }
  }

  static std::optional<GramIndex> make_grams(const Settings& settings, const RecordIndex& index,
                                             const PreparedRecords& records) {
    std::optional<GramIndex> grams;
    if (gram_length(settings) > 0 && !settings.bytdif)
      grams.emplace(records, index, gram_length(settings));
    return grams;
  }

  // Moves the borders between shares towards the lanes that finished
  // first: the work of a row is far from even across its shares. Only the
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

  // Whether the candidate is the lane's to search.
  bool owns(const Lane& lane, int32_t record) const {
    if (!grams_) return true;
    const int32_t word = grams_->word_of(record);
    return word >= lane.first_word && word < lane.end_word;
  }

  void search_lane(const Slots& slots, int index, int lanes) {
    Lane& lane = *lanes_[index];
    if (grams_ && by_words_) grams_->count_words(lane.first_word, lane.end_word);
    lane.taken.clear();
    lane.scores.clear();
    lane.hits.clear();
    lane.block.clear();
    if (prefixes_) {
      sweep_lane(lane, index, lanes);
      return;
    }
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
        if (lanes > 1 && i % kTurn == 0) best = std::max(best, shown_before(index, lanes, j));
        const int32_t found = evaluate(lane, j, slots[j], best);
        if (found > best) {
          best = found;
          show(lane, j, best);
        }
      }
      const int32_t next = lane.block[end - 1] + 1;
      if (next >= lane.to) break;
      if (lanes > 1) best = std::max(best, shown_before(index, lanes, next));
      list(lane, next, best);
    }
  }

  // Under -b: every slot of the share in turn, from the slot-ordered copies
  // of the candidates' first bytes.
  void sweep_lane(Lane& lane, int index, int lanes) {
    int32_t best = row_start();
    for (int32_t j = lane.from; j < lane.to; ++j) {
      if (lanes > 1 && (j - lane.from) % kTurn == 0)
        best = std::max(best, shown_before(index, lanes, j));
      const int32_t score = prefixes_->score(j, best);
      if (score <= best) continue;
      lane.taken.push_back(j);
      lane.scores.push_back(score);
      best = score;
      show(lane, j, best);
    }
  }

  // Publishes a rise of the lane's best, for the other lanes' later slots.
  static void show(Lane& lane, int32_t slot, int32_t best) {
    const int32_t count = lane.shown_count.load(std::memory_order_relaxed);
    lane.shown[count] = {slot, best};
    lane.shown_count.store(count + 1, std::memory_order_release);
  }

  // The best the other lanes have shown at slots before `slot`: a score the
  // row has certainly reached before it. Slots only grow, so each lane's
  // entries are read once.
  int32_t shown_before(int index, int lanes, int32_t slot) {
    Lane& lane = *lanes_[index];
    int32_t best = INT32_MIN;
    for (int other = 0; other < lanes; ++other) {
      if (other == index) continue;
      const Lane& them = *lanes_[other];
      const int32_t count = them.shown_count.load(std::memory_order_acquire);
      int32_t& read = lane.read[other];
      while (read < count && them.shown[read].slot < slot) ++read;
      if (read > 0) best = std::max(best, them.shown[read - 1].best);
    }
    return best;
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

  // What a row's search has found so far.
  struct RowState {
    bool single;
    int32_t MaxVal = -1;
    int32_t Sxmatw = 0;
  };

  // Takes the lanes' evaluated candidates into the row's search, merged in
  // slot order; returns the row's best score.
  int32_t apply(Slots& slots, int32_t row, int lanes) {
    RowState state{single_};
    Sxstrng_.clear();
    std::vector<size_t>& next = apply_next_;
    next.assign(lanes, 0);
    for (;;) {
      int first = -1;
      for (int lane = 0; lane < lanes; ++lane) {
        const Lane& l = *lanes_[lane];
        if (next[lane] < l.taken.size() &&
            (first < 0 || l.taken[next[lane]] < lanes_[first]->taken[next[first]]))
          first = lane;
      }
      if (first < 0) return state.MaxVal;
      take(slots, row, *lanes_[first], next[first]++, state);
    }
  }

  // Takes one evaluated candidate into the row's search.
  void take(Slots& slots, int32_t row, const Lane& lane, size_t i, RowState& state) {
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
    if (value <= state.MaxVal) return;
    state.MaxVal = value;
    const int32_t j = lane.taken[i];
    std::swap(slots[j], slots[row + 1]);
    if (prefixes_) prefixes_->swap(j, row + 1);
    if (grams_) {
      grams_->place(slots[j], j);
      grams_->place(slots[row + 1], row + 1);
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
  std::vector<std::unique_ptr<Lane>> lanes_;  // one per thread
  std::vector<size_t> apply_next_;            // per lane: its next candidate to apply
  int32_t row_ = 0;                           // the row being searched
  bool started_ = false;                      // whether the first row has placed the slots
  bool by_words_ = true;                      // whether lanes share the row by index words
  std::chrono::steady_clock::duration row_time_ = kWorthSplitting;
  std::string Sxstrng_;
};

}  // namespace

std::unique_ptr<RowSearch> make_fast_search(const Settings& settings, const RecordIndex& index,
                                            int threads, bool split_every_row) {
  return std::make_unique<FastSearch>(settings, index, std::max(threads, 1), split_every_row);
}

}  // namespace vexaro
