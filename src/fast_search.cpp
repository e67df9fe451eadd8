#include "fast_search.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "fast_scorer.h"
#include "gram_index.h"
#include "prepared_records.h"
#include "similarity.h"
#include "worker_pool.h"

namespace vexaro {
namespace {

// A candidate whose bound showed it cannot beat the threshold of its block.
constexpr int32_t kSkipped = INT32_MIN;
// Rows are searched in blocks that grow from a small first one, whose best
// score soon makes a threshold that prunes most of the row.
constexpr int32_t kFirstBlock = 128;
constexpr int32_t kLargestBlock = 1 << 14;
// Blocks smaller than this are not worth waking the other threads for.
constexpr int32_t kParallelBlock = 32;
// Candidates a thread takes at its turn.
constexpr int32_t kTurn = 4;
// Bitset words below which one thread counts a row's q-gram coverage alone.
constexpr int32_t kParallelWords = 64;

// An upper bound of what two items can have in common.
struct Coverage {
  int32_t covered;  // bytes that hits could cover
  int32_t longest;  // the longest hit there could be
};

// Sums the bytes that shared q-gram windows cover, given in ascending order.
class CoverageRuns {
 public:
  explicit CoverageRuns(int32_t q) : q_(q) {}
  void add(int32_t start) {
    if (start > reach_) run_start_ = start;
    covered_ += start + q_ - std::max(start, reach_);
    reach_ = start + q_;
    longest_ = std::max(longest_, reach_ - run_start_);
  }
  Coverage result() const { return {covered_, longest_}; }

 private:
  int32_t q_;
  int32_t covered_ = 0, longest_ = 0, run_start_ = 0, reach_ = 0;
};

class FastSearch : public RowSearch {
 public:
  FastSearch(const Settings& settings, const RecordIndex& index, int threads)
      : settings_(settings),
        index_(index),
        records_(settings, index),
        pool_(threads),
        gram_(gram_length(settings)),
        byte_range_(int32_t{index.stats.Maxbyt} - int32_t{index.stats.Minbyt}),
        single_(settings.single && !settings.bytdif),
        listed_(index.size() / 64 + 1),
        scores_(index.size()),
        hits_(index.size()) {
    if (gram_ > 0 && !settings.bytdif) grams_.emplace(records_, index, gram_);
    for (int t = 0; t < pool_.size(); ++t) {
      scorers_.push_back(std::make_unique<PairScorer>(settings, index.stats));
    }
  }

  int32_t search_row(Slots& slots, int32_t row, const uint8_t* /*reference*/) override {
    if (slot_of_.empty()) {
      slot_of_.resize(slots.size());
      for (int32_t s = 0; s < static_cast<int32_t>(slots.size()); ++s) slot_of_[slots[s]] = s;
    }
    load_reference(slots[row]);
    const int32_t count = static_cast<int32_t>(slots.size());
    if (grams_) {
      grams_->retire(slots[row]);
      count_coverage();
    }
    Sxstrng_.clear();
    RowState state{single_};
    // The first block is taken in slot order; its best makes the threshold
    // that lists the likely candidates of the rest. Blocks of them follow,
    // each larger, and each listed anew after the threshold of the last.
    order_.clear();
    for (int32_t j = row + 1; j < std::min(count, row + 1 + kFirstBlock); ++j) order_.push_back(j);
    for (int32_t size = kFirstBlock;; size = std::min(size * 4, kLargestBlock)) {
      const int32_t end = std::min(static_cast<int32_t>(order_.size()), size);
      if (end == 0) break;
      search_block(slots, row, end, state);
      const int32_t next = order_[end - 1] + 1;
      if (next >= count) break;
      order_.clear();
      list_rest(next, count, state.threshold());
    }
    return state.MaxVal;
  }

  std::string row_substring() const override { return Sxstrng_; }

 private:
  void load_reference(int32_t record) {
    reference_ = records_.reference(record);
    reference_signature_ = sign(settings_, reference_);
    Sleni_ = index_.linlens[record];
    window_bits_.clear();
    if (gram_ == 0) return;
    for_each_window(reference_, gram_, [&](int32_t start, bool clean) {
      window_bits_.push_back(clean ? static_cast<int32_t>(gram_bit(reference_.bytes + start, gram_))
                                   : -1);
    });
  }

  // What a row's search has found so far.
  struct RowState {
    bool single;
    int32_t MaxVal = -1;
    int32_t Sxmatw = 0;
    // A candidate that cannot pass this cannot improve the row.
    int32_t threshold() const { return single ? Sxmatw : MaxVal; }
  };

  // Scores places 0..end of the row's order and applies them in slot order.
  // Each thread scores a stretch against the best before the block and its
  // own best since, so the outcome is that of a one-by-one search.
  void search_block(Slots& slots, int32_t row, int32_t end, RowState& state) {
    if (pool_.size() > 1 && end >= kParallelBlock) {
      evaluate_block(slots, 0, end, state.threshold());
    } else {
      evaluate_range(slots, 0, end, state.threshold(), *scorers_[0]);
    }
    for (int32_t i = 0; i < end; ++i) apply(slots, row, i, state);
  }

  // Takes the evaluated candidate at place i of the row's order into its search.
  void apply(Slots& slots, int32_t row, int32_t i, RowState& state) {
    int32_t value = scores_[i];
    if (state.single) {
      if (hits_[i].length > state.Sxmatw) {
        state.Sxmatw = hits_[i].length;
        Sxstrng_.assign(reinterpret_cast<const char*>(hits_[i].bytes), state.Sxmatw);
      }
      value = single_score(index_.stats, state.Sxmatw);
    }
    if (value != kSkipped && value > state.MaxVal) {
      state.MaxVal = value;
      const int32_t j = order_[i];
      std::swap(slots[j], slots[row + 1]);
      slot_of_[slots[j]] = j;
      slot_of_[slots[row + 1]] = row + 1;
    }
  }

  // Counts the reference bytes each candidate's q-grams cover, on every
  // thread when there are enough candidates.
  void count_coverage() {
    grams_->prepare_row(reference_);
    const int32_t words = grams_->words();
    if (pool_.size() == 1 || words < kParallelWords) {
      grams_->count_words(0, words);
      return;
    }
    const int32_t share = (words / pool_.size() + 7) / 8 * 8;
    pool_.run([&](int thread) {
      grams_->count_words(std::min(words, thread * share),
                          thread + 1 == pool_.size() ? words : std::min(words, (thread + 1) * share));
    });
  }

  // Lists, in slot order, the slots from `first` on whose candidate could
  // beat `threshold` by its coverage; all of them without an index.
  void list_rest(int32_t first, int32_t count, int32_t threshold) {
    if (!grams_) {
      for (int32_t j = first; j < count; ++j) order_.push_back(j);
      return;
    }
    // Marks in a bitset by slot, which then reads them out in slot order.
    grams_->collect([&](int32_t word) { return least_coverage(word, threshold); },
                    [&](int32_t record) {
                      const int32_t j = slot_of_[record];
                      if (j >= first) listed_[j >> 6] |= uint64_t{1} << (j & 63);
                    });
    for (int32_t w = first >> 6; w <= (count - 1) >> 6; ++w) {
      for (uint64_t bits = listed_[w]; bits != 0; bits &= bits - 1) {
        order_.push_back(w * 64 + __builtin_ctzll(bits));
      }
      listed_[w] = 0;
    }
  }

  // The least coverage with which a candidate of the bitset word could beat
  // `threshold`, from the shortest item and longest record of the word.
  int32_t least_coverage(int32_t word, int32_t threshold) const {
    if (single_) return threshold + 1;
    if (threshold < 0) return 0;
    const int32_t shortest = grams_->shortest(word);
    const int32_t LA = std::max(std::min(reference_.length, shortest), 1);
    const int32_t LB = std::max({reference_.length, shortest, 1});
    if (settings_.adapt == 0 && !settings_.linlencor) {
      const int64_t need = ((int64_t{threshold} + 1) * (LA + LB) + 1999) / 2000;
      return static_cast<int32_t>(std::min<int64_t>(need, INT32_MAX));
    }
    const int32_t Slenj = grams_->longest_read(word);
    auto beats = [&](int32_t covered) {
      const uint64_t sum = match_sum_bound(settings_, covered, covered, LB);
      return final_score(settings_, index_.stats, sum, LA, LB, Sleni_, Slenj) > threshold;
    };
    int32_t low = 0, high = reference_.length + 1;  // beats(high) is taken as true
    if (!beats(reference_.length)) return INT32_MAX;
    while (low < high) {
      const int32_t mid = low + (high - low) / 2;
      if (beats(mid)) high = mid; else low = mid + 1;
    }
    return low;
  }

  // Evaluates places from..to of the row's order.
  // Evaluates places from..to of the row's order, raising the threshold by
  // every candidate that beats it: the row's best can only be higher.
  int32_t evaluate_range(const Slots& slots, int32_t from, int32_t to, int32_t threshold,
                         PairScorer& scorer) {
    for (int32_t i = from; i < to; ++i) {
      if (single_) {
        hits_[i] = evaluate_single(slots[order_[i]], threshold, scorer);
        threshold = std::max(threshold, hits_[i].length);
      } else {
        scores_[i] = evaluate(slots[order_[i]], threshold, scorer);
        threshold = std::max(threshold, scores_[i]);
      }
    }
    return threshold;
  }

  // Threads take turns along the block, so that each one's own best soon
  // follows the row's best wherever it stands.
  void evaluate_block(const Slots& slots, int32_t begin, int32_t end, int32_t threshold) {
    const int32_t threads = pool_.size();
    pool_.run([&](int thread) {
      int32_t own = threshold;
      for (int32_t from = begin + thread * kTurn; from < end; from += threads * kTurn) {
        own = evaluate_range(slots, from, std::min(end, from + kTurn), own, *scorers_[thread]);
      }
    });
  }

  // The candidate's exact score when it is above `threshold`, else kSkipped
  // or some value not above `threshold`.
  int32_t evaluate(int32_t record, int32_t threshold, PairScorer& scorer) const {
    const int32_t Slenj = index_.linlens[record];
    if (settings_.bytdif && byte_range_ > 0) {
      // Each byte the longer item has beyond the shorter counts the whole
      // byte range, so the score is at most 1000 times the length ratio.
      const int32_t length = std::max(records_.candidate_length(record), 1);
      const int32_t own = std::max(reference_.length, 1);
      if (int64_t{1000} * std::min(own, length) / std::max(own, length) <= threshold) return kSkipped;
    }
    if (!settings_.bytdif) {
      const int32_t length = records_.candidate_length(record);
      const int32_t LB = std::max({reference_.length, length, 1});
      const int32_t LA = std::max(std::min(reference_.length, length), 1);
      // Without weighting and correlation the bound is 2000 C / (LA + LB),
      // which a multiplication tests; otherwise the final score is formed.
      const bool plain = settings_.adapt == 0 && !settings_.linlencor;
      const int64_t beat_at = (int64_t{threshold} + 1) * (LA + LB);
      auto cannot_beat = [&](Coverage c) {
        if (plain) return int64_t{2000} * c.covered < beat_at;
        const uint64_t sum = match_sum_bound(settings_, c.covered, c.longest, LB);
        return final_score(settings_, index_.stats, sum, LA, LB, Sleni_, Slenj) <= threshold;
      };
      const int32_t counted = std::min(reference_signature_.counted, records_.counted(record));
      if (cannot_beat({counted, counted})) return kSkipped;
      int32_t covered = counted;
      if (grams_) {
        covered = std::min(covered, grams_->covered(record));
        if (cannot_beat({covered, covered})) return kSkipped;
      }
      if (gram_ > 0) {
        // Hits cover as many candidate bytes as reference bytes.
        Coverage c = candidate_coverage(record);
        c.covered = std::min(c.covered, covered);
        if (!plain) c.longest = std::min(c.longest, coverage(record).longest);
        c.longest = std::min(c.longest, c.covered);
        if (cannot_beat(c)) return kSkipped;
      } else if (cannot_beat(coverage(record))) {
        return kSkipped;
      }
    }
    return scorer.score(reference_, records_.candidate(record), Sleni_, Slenj, threshold);
  }

  // The first hit of the candidate when it may be longer than `longest`.
  SingleHit evaluate_single(int32_t record, int32_t longest, PairScorer& scorer) const {
    if (grams_ && grams_->covered(record) <= longest) return {};
    if (coverage(record).longest <= longest) return {};
    return scorer.single_hit(reference_, records_.candidate(record));
  }

  // Bytes the reference can share with the candidate by value.
  int32_t shared_bytes(int32_t record) const {
    const auto& counts = records_.counts(record).histogram;
    const auto& reference_counts = reference_signature_.counts.histogram;
    int32_t shared = 0;
    for (int k = 0; k < ByteCounts::kBuckets; ++k)
      shared += std::min(reference_counts[k], counts[k]);
    return shared;
  }

  // Bytes the reference shares with the candidate by value, then by q-gram:
  // every q-gram of a counted piece occurs in both items.
  Coverage coverage(int32_t record) const {
    const int32_t shared = shared_bytes(record);
    if (gram_ == 0 || shared == 0) return {shared, shared};
    const auto& grams = records_.grams(record).bits;
    CoverageRuns runs(gram_);
    for (int32_t w = 0; w < static_cast<int32_t>(window_bits_.size()); ++w) {
      const int32_t bit = window_bits_[w];
      if (bit >= 0 && ((grams[bit >> 6] >> (bit & 63)) & 1) != 0) runs.add(w);
    }
    const Coverage c = runs.result();
    return {std::min(c.covered, shared), std::min({c.longest, c.covered, shared})};
  }

  // The candidate's bytes that q-grams the reference's filter holds cover.
  Coverage candidate_coverage(int32_t record) const {
    const ItemView item = records_.candidate(record);
    const auto& grams = reference_signature_.grams.bits;
    CoverageRuns runs(gram_);
    for_each_window(item, gram_, [&](int32_t start, bool clean) {
      if (!clean) return;
      const uint32_t bit = gram_bit(item.bytes + start, gram_);
      if (((grams[bit >> 6] >> (bit & 63)) & 1) != 0) runs.add(start);
    });
    return runs.result();
  }

  const Settings& settings_;
  const RecordIndex& index_;
  const PreparedRecords records_;
  WorkerPool pool_;
  const int32_t gram_;
  const int32_t byte_range_;  // of the input's bytes, which -b scales differences by
  // Single mode, where rows keep their longest substring; under -b it scores
  // byte differences like any other run.
  const bool single_;
  std::optional<GramIndex> grams_;
  std::vector<std::unique_ptr<PairScorer>> scorers_;  // one per thread
  // The row's reference and what the bounds need of it.
  ItemView reference_{nullptr, 0};
  Signature reference_signature_;
  std::vector<int32_t> window_bits_;  // per q-gram start: its filter bit, -1 if it holds a blank
  int32_t Sleni_ = 0;
  std::vector<int32_t> slot_of_;  // per record: its slot
  // The row's candidates in the order they are taken, by slot, and per
  // place its score or kSkipped, or its first hit.
  std::vector<int32_t> order_;
  std::vector<uint64_t> listed_;  // slots of the rest of the row that may beat its best
  std::vector<int32_t> scores_;
  std::vector<SingleHit> hits_;
  std::string Sxstrng_;
};

}  // namespace

std::unique_ptr<RowSearch> make_fast_search(const Settings& settings, const RecordIndex& index,
                                            int threads) {
  return std::make_unique<FastSearch>(settings, index, std::max(threads, 1));
}

}  // namespace vexaro
