// Every record prepared once for each of its two roles, with the signatures
// that bound how much two records can have in common.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "fast_scorer.h"
#include "record_index.h"
#include "settings.h"

namespace vexaro {

// What a prepared item holds, in forms that give quick upper bounds: its
// bytes by value, and a filter of its q-grams.
struct ByteCounts {
  static constexpr int kBuckets = 32;
  alignas(64) std::array<int16_t, kBuckets> histogram{};  // bytes by value & 31, blanks left out
};
struct GramFilter {
  static constexpr int kBits = 4096;
  std::array<uint64_t, kBits / 64> bits{};  // which q-grams occur (a Bloom filter)
};
struct Signature {
  ByteCounts counts;
  GramFilter grams;
  int32_t counted = 0;  // bytes that are not blank
};

// The q-gram length whose every occurrence a counted piece must contain:
// 0 when pieces can be shorter than 2 bytes and grams bound nothing.
int32_t gram_length(const Settings& settings);
// The filter bit of the q-gram at `bytes`.
inline uint32_t gram_bit(const uint8_t* bytes, int32_t q) {
  uint32_t h = 0;
  for (int32_t i = 0; i < q; ++i) h = (h ^ bytes[i]) * 0x9E3779B1u;
  return h >> (32 - 12);
}
// The q-gram at `bytes` (q <= 4) as one number, its bytes in order.
inline uint32_t gram_key(const uint8_t* bytes, int32_t q) {
  uint32_t k = 0;
  for (int32_t i = 0; i < q; ++i) k = (k << 8) | bytes[i];
  return k;
}

Signature sign(const Settings& settings, ItemView item);

// Calls visit(start, clean) for every window of q bytes of the item, where
// `clean` tells whether the window holds no blank byte (only clean windows
// can lie inside a counted piece).
template <class Visit>
void for_each_window(ItemView item, int32_t q, Visit&& visit) {
  for (int32_t end = 0, run = 0; end < item.length; ++end) {
    run = item.bytes[end] == kBlank ? 0 : run + 1;
    if (end + 1 >= q) visit(end + 1 - q, run >= q);
  }
}

class PreparedRecords {
 public:
  PreparedRecords(const Settings& settings, const RecordIndex& index);

  // A record as the reference of a row: its control bytes became spaces
  // before its working start was taken and it was prepared.
  ItemView reference(int32_t record) const { return view(reference_at_[record]); }
  // A record as a candidate: prepared from its bytes as read.
  ItemView candidate(int32_t record) const { return view(candidate_at_[record]); }
  int32_t candidate_length(int32_t record) const { return candidate_at_[record].length; }
  // Every record, shortest prepared candidate first, ties in record order.
  std::vector<int32_t> by_candidate_length() const;
  // The signatures below are not kept under -b.
  // Bytes of the candidate that are not blank.
  int32_t counted(int32_t record) const { return counted_[record]; }
  const ByteCounts& counts(int32_t record) const { return counts_[record]; }
  const GramFilter& grams(int32_t record) const { return grams_[record]; }  // single mode only
  // Per q-gram window of the candidate: its filter bit, or kNoBit when the
  // window holds a blank.
  // It lies past the filter's bits, so a copy of a filter with one more,
  // clear, word answers it without a test.
  static constexpr uint16_t kNoBit = GramFilter::kBits;
  const uint16_t* window_bits(int32_t record) const {
    return window_bits_.data() + window_bits_at_[record];
  }

 private:
  struct Place {
    uint32_t offset;
    int32_t length;
  };
  ItemView view(Place p) const { return {arena_.data() + p.offset, p.length}; }
  Place store(const uint8_t* prepared, int32_t length);
  void add_signature(const Settings& settings, int32_t record, int32_t q);

  std::vector<uint8_t> arena_;  // every prepared item, each zero-ended
  std::vector<Place> reference_at_, candidate_at_;
  std::vector<int32_t> counted_;
  std::vector<ByteCounts> counts_;
  std::vector<GramFilter> grams_;
  std::vector<uint16_t> window_bits_;
  std::vector<uint32_t> window_bits_at_;
};

}  // namespace vexaro
