#include "row_bounds.h"

#include <algorithm>
#include <climits>

#include "similarity.h"

namespace vexaro {
namespace {

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
  int32_t covered() const { return covered_; }
  int32_t longest() const { return longest_; }

 private:
  int32_t q_;
  int32_t covered_ = 0, longest_ = 0, run_start_ = 0, reach_ = 0;
};

}  // namespace

RowBounds::RowBounds(const Settings& settings, const RecordIndex& index,
                     const PreparedRecords& records, const GramIndex* grams)
    : settings_(settings),
      index_(index),
      records_(records),
      grams_(grams),
      gram_(gram_length(settings)),
      plain_(settings.adapt == 0 && !settings.linlencor) {}

void RowBounds::load_reference(int32_t record) {
  reference_ = records_.reference(record);
  if (!settings_.bytdif) {
    reference_signature_ = sign(settings_, reference_);
    const auto& bits = reference_signature_.grams.bits;
    std::copy(bits.begin(), bits.end(), reference_grams_.begin());
  }
  Sleni_ = index_.linlens[record];
  window_bits_.clear();
  // Only single mode walks the reference's windows against a candidate's filter.
  if (gram_ == 0 || !settings_.single) return;
  for_each_window(reference_, gram_, [&](int32_t start, bool clean) {
    window_bits_.push_back(clean ? static_cast<int32_t>(gram_bit(reference_.bytes + start, gram_))
                                 : -1);
  });
}

bool RowBounds::cannot_beat(int32_t record, int32_t threshold) const {
  const int32_t length = records_.candidate_length(record);
  const int32_t LB = std::max({reference_.length, length, 1});
  const int32_t LA = std::max(std::min(reference_.length, length), 1);
  auto cannot = [&](Coverage c) {
    return coverage_cannot_beat(settings_, index_.stats, c, LA, LB, Sleni_, index_.linlens[record],
                                threshold);
  };
  // The gram count refuses most candidates on its own: test the least of
  // the counts once rather than each in turn.
  int32_t covered = std::min(reference_signature_.counted, records_.counted(record));
  if (grams_ != nullptr) covered = std::min(covered, grams_->covered(record));
  if (cannot({covered, covered})) return true;
  if (gram_ == 0) return cannot(coverage(record));
  // Hits cover as many candidate bytes as reference bytes.
  Coverage c = candidate_coverage(record);
  c.covered = std::min(c.covered, covered);
  c.longest = std::min(c.longest, c.covered);
  return cannot(c);
}

bool RowBounds::cannot_be_longer(int32_t record, int32_t longest) const {
  if (grams_ != nullptr && grams_->covered(record) <= longest) return true;
  return coverage(record).longest <= longest;
}

int32_t RowBounds::least_coverage(int32_t word, int32_t threshold) const {
  if (settings_.single) return threshold + 1;
  if (threshold < 0) return 0;
  const int32_t shortest = grams_->shortest(word);
  const int32_t LA = std::max(std::min(reference_.length, shortest), 1);
  const int32_t LB = std::max({reference_.length, shortest, 1});
  if (plain_) {
    const int64_t need = ((int64_t{threshold} + 1) * (LA + LB) + 1999) / 2000;
    return static_cast<int32_t>(std::min<int64_t>(need, INT32_MAX));
  }
  const int32_t Slenj = grams_->longest_read(word);
  auto beats = [&](int32_t covered) {
    const uint64_t sum = match_sum_bound(settings_, covered, covered, LB);
    return final_score(settings_, index_.stats, sum, LA, LB, Sleni_, Slenj) > threshold;
  };
  if (!beats(reference_.length)) return INT32_MAX;
  int32_t low = 0, high = reference_.length;
  while (low < high) {
    const int32_t mid = low + (high - low) / 2;
    if (beats(mid)) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return low;
}

int32_t RowBounds::shared_bytes(int32_t record) const {
  const auto& counts = records_.counts(record).histogram;
  const auto& reference_counts = reference_signature_.counts.histogram;
  int32_t shared = 0;
  for (int k = 0; k < ByteCounts::kBuckets; ++k) shared += std::min(reference_counts[k], counts[k]);
  return shared;
}

// Bytes the reference shares with the candidate by value, then by q-gram:
// every q-gram of a counted piece occurs in both items.
Coverage RowBounds::coverage(int32_t record) const {
  const int32_t shared = shared_bytes(record);
  if (gram_ == 0 || shared == 0) return {shared, shared};
  const auto& grams = records_.grams(record).bits;
  CoverageRuns runs(gram_);
  for (int32_t w = 0; w < static_cast<int32_t>(window_bits_.size()); ++w) {
    const int32_t bit = window_bits_[w];
    if (bit >= 0 && ((grams[bit >> 6] >> (bit & 63)) & 1) != 0) runs.add(w);
  }
  const int32_t covered = std::min(runs.covered(), shared);
  return {covered, std::min(runs.longest(), covered)};
}

// The candidate's bytes that q-grams in the reference's filter cover.
Coverage RowBounds::candidate_coverage(int32_t record) const {
  return window_coverage(records_.window_bits(record), records_.candidate_length(record), gram_,
                         reference_grams_.data(), settings_.adapt != 0);
}

// 64 bytes at a time: byte p is covered when a window from p-q+1 to p is
// held.
Coverage window_coverage(const uint16_t* bits, int32_t length, int32_t q, const uint64_t* grams,
                         bool runs) {
  const int32_t windows = std::max(length - q + 1, 0);
  Coverage c{0, 0};
  uint64_t held_before = 0;
  for (int32_t base = 0, run = 0; base < windows + q - 1; base += 64) {
    const int32_t count = std::clamp(windows - base, 0, 64);
    uint64_t held = 0;
    for (int32_t i = 0; i < count; ++i) {
      const uint16_t bit = bits[base + i];
      held |= ((grams[bit >> 6] >> (bit & 63)) & 1) << i;
    }
    uint64_t covered = held;
    for (int32_t k = 1; k < q; ++k) covered |= held << k | held_before >> (64 - k);
    held_before = held;
    c.covered += __builtin_popcountll(covered);
    if (!runs) continue;
    // The run from the blocks before goes on through the low ones; the high
    // ones go on into the next block.
    const uint64_t gaps = ~covered;
    if (gaps == 0) {
      run += 64;
    } else {
      c.longest = std::max(c.longest, run + __builtin_ctzll(gaps));
      int32_t inner = 0;
      for (uint64_t ones = covered; ones != 0; ones &= ones << 1) ++inner;
      c.longest = std::max(c.longest, inner);
      run = __builtin_clzll(gaps);
    }
    c.longest = std::max(c.longest, run);
  }
  if (!runs) c.longest = c.covered;
  return c;
}

}  // namespace vexaro
