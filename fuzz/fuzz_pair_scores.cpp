// SPDX-License-Identifier: MIT
// The scorer on arbitrary item pairs under arbitrary settings. After the
// arguments (see fuzz_case.h) come the reference item, a zero byte, the
// candidate item, a zero byte, and bytes that set the record statistics,
// the record lengths and a threshold.
//
// Checked: the score ranges the ordering relies on; a null reference scores
// as passing the same one again; items of different prepared lengths score
// alike in either role; and the fast pair scorer gives the literal score
// whenever that score is above the threshold it is given, and a value not
// above the threshold otherwise.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/pair_scorer.h"
#include "fuzz_case.h"
#include "scoring/item.h"
#include "scoring/literal_scorer.h"

namespace {

using vexaro::fuzz::require;

using namespace vexaro;

// Reads little-endian numbers from the tail, with a default once it runs out.
class Tail {
 public:
  explicit Tail(std::string_view bytes) : bytes_(bytes) {}
  uint32_t take(int width, uint32_t fallback) {
    if (bytes_.size() < static_cast<size_t>(width)) return fallback;
    uint32_t value = 0;
    for (int i = 0; i < width; ++i) value |= uint32_t{static_cast<uint8_t>(bytes_[i])} << (8 * i);
    bytes_.remove_prefix(width);
    return value;
  }

 private:
  std::string_view bytes_;
};

std::string_view take_item(std::string_view& rest) {
  const size_t end = rest.find('\0');
  std::string_view item = rest.substr(0, std::min<size_t>(end, kMaxRecordLength));
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  return item;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return 0;
  const fuzz::FuzzCase c = fuzz::split_case(data, size);
  const Settings s = parse_arguments(c.args, false);
  std::string_view rest = c.input;
  const std::string reference(take_item(rest));
  const std::string candidate(take_item(rest));
  Tail tail(rest);

  // Statistics as a scan can leave them: every record holds 1 to 2000 bytes.
  RecordStats stats;
  stats.min_byte = static_cast<uint8_t>(tail.take(1, 97));
  stats.max_byte = static_cast<uint8_t>(tail.take(1, 122));
  stats.record_count = static_cast<int32_t>(tail.take(2, 10) % kMaxRecords) + 1;
  const int32_t mean = static_cast<int32_t>(tail.take(2, 10) % kMaxRecordLength) + 1;
  stats.stored_bytes =
      stats.record_count * mean + static_cast<int32_t>(tail.take(2, 0)) % stats.record_count;
  stats.twice_mean_length = stats.stored_bytes / stats.record_count * 2;
  const int32_t reference_stored = static_cast<int32_t>(tail.take(2, 7) % kMaxRecordLength) + 1;
  const int32_t candidate_stored = static_cast<int32_t>(tail.take(2, 9) % kMaxRecordLength) + 1;
  const int32_t threshold = static_cast<int32_t>(tail.take(4, 0xffffffffu));

  const auto* ref = reinterpret_cast<const uint8_t*>(reference.c_str());
  const auto* cand = reinterpret_cast<const uint8_t*>(candidate.c_str());
  LiteralScorer literal(s, stats);
  const int32_t score = literal.score(ref, cand, reference_stored, candidate_stored);
  const std::string substring = literal.longest_substring();

  if (s.byte_difference) {
    require(score <= 1000);
  } else if (s.longest_substrings) {
    require(score >= 0);
  } else {
    require(score >= 0);
    if (s.length_divisor == 0 && !s.length_correlation) require(score <= 1000);
  }
  require(literal.score(nullptr, cand, reference_stored, candidate_stored) == score);

  const PreparedItem a = prepared(item_rules_of(s), ref), b = prepared(item_rules_of(s), cand);
  require(a.length >= 0 && a.length <= kMaxPrepared && a.bytes[a.length] == 0);
  require(b.length >= 0 && b.length <= kMaxPrepared && b.bytes[b.length] == 0);
  if (a.length != b.length) {
    LiteralScorer swapped(s, stats);
    require(swapped.score(cand, ref, candidate_stored, reference_stored) == score);
  }

  PairScorer fast(item_rules_of(s), measure_of(s), stats);
  if (s.longest_substrings && !s.byte_difference) {
    const LongestHit hit = fast.longest_hit(a.view(), b.view());
    require(static_cast<size_t>(hit.length) == substring.size());
    require(hit.length == 0 || std::memcmp(hit.bytes, substring.data(), hit.length) == 0);
    return 0;
  }
  for (const int32_t bar : {-1, score - 1, score, threshold}) {
    const int32_t fast_score =
        fast.score(a.view(), b.view(), reference_stored, candidate_stored, bar);
    require(score > bar ? fast_score == score : fast_score <= bar);
  }
  return 0;
}
