#include "engine/descending_scan.h"

#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/automaton_lookup.h"
#include "engine/bit_lookup.h"
#include "engine/bits.h"
#include "scoring/score_formula.h"

namespace vexaro {

DescendingScan::DescendingScan(const Settings& settings, const RecordStats& stats)
    : settings_(settings), stats_(stats), minscan_(shortest_counted(settings.MINSCAN)) {}

template <class Lookup>
int32_t DescendingScan::score(const ArrangedPair& a, const MatchingStatistics& stats,
                              Lookup& lookup, int32_t start, int32_t Sleni, int32_t Slenj,
                              int32_t threshold) {
  const int32_t LA = a.pattern.length, LB = a.searched.length;
  const int32_t words = (LA + 63) / 64;
  int32_t covered = measure(a, stats, start);
  auto score_of = [&](uint64_t sum) {
    return final_score(settings_, stats_, sum, LA, LB, Sleni, Slenj);
  };
  const uint64_t beating = least_sum_beating(settings_, stats_, threshold, LA, LB, Sleni, Slenj);
  if (const uint64_t most = match_sum_bound(settings_, covered, start, LB); most < beating)
    return score_of(most);
  lookup.start_scan(a);
  activate_by_length(LA, start);

  uint64_t match_sum = 0;
  for (int32_t L = start; L >= minscan_; --L) {
    activate_level(L, words);
    if (const uint64_t bound = match_sum + match_sum_bound(settings_, covered, L, LB);
        bound < beating)
      return score_of(bound);
    for (int32_t P = 0;;) {
      P = next_common_bit(active_.data(), alive_.data(), P, words);
      if (P < 0 || P > LA - L) break;
      if (const int32_t blank = first_clear_bit(alive_.data(), P, P + L); blank >= 0) {
        P = blank + 1;
        continue;
      }
      const WindowFound found = lookup.find(a, P, L, longest_[P]);
      if (found.at < 0) {
        if (found.longest < L) lower(P, found.longest);
        ++P;
        continue;
      }
      match_sum += hit_increment(settings_, L, P, found.at, LA, LB);
      lookup.blank(found.at, L);
      clear_bits(alive_.data(), P, P + L);
      covered -= L;
      P += L;
    }
  }
  return score_of(match_sum);
}

// Per window start the longest window that can hit there, or 0 where none
// can; the pattern's unblanked bytes, which are alive; and the bytes those
// windows cover, each window adding what it reaches beyond those before.
int32_t DescendingScan::measure(const ArrangedPair& a, const MatchingStatistics& stats,
                                int32_t start) {
  const int32_t LA = a.pattern.length;
  for (int32_t P = 0; P < LA; ++P) {
    const int32_t longest = stats.longest_window(P, start);
    // Masked, not branched on: which starts can hit is unpredictable.
    longest_[P] = longest & -static_cast<int32_t>(longest >= minscan_);
  }
  nonzero_bits(stats.blank_free.data(), LA, alive_.data());
  int32_t covered = 0;
  for (int32_t P = 0, reach = 0; P < LA; ++P) {
    const int32_t from = std::max(reach, P);
    reach = std::max(from, P + longest_[P]);
    covered += reach - from;
  }
  return covered;
}

// The windows of each length become active in turn: a short pattern's are
// found by comparing all their lengths at once, a long one's are grouped
// by length first.
void DescendingScan::activate_by_length(int32_t LA, int32_t start) {
  short_pattern_ = LA <= kShortPattern;
  const int32_t words = (LA + 63) / 64;
  if (short_pattern_) {
    std::fill(short_longest_.begin(), short_longest_.begin() + words * 64, 0);
    for (int32_t P = 0; P < LA; ++P) short_longest_[P] = static_cast<uint8_t>(longest_[P]);
  } else {
    group_by_length(LA, start);
    std::fill(active_.begin(), active_.begin() + words, 0);
    std::fill_n(lowered_first_.begin(), start + 1, -1);
  }
}

void DescendingScan::activate_level(int32_t L, int32_t words) {
  if (short_pattern_) {
    mark_at_least(L, words);
    return;
  }
  for (int32_t k = length_begin_[L]; k < length_end_[L]; ++k)
    set_bit(active_.data(), by_length_[k]);
  for (int32_t P = lowered_first_[L]; P >= 0; P = lowered_next_[P]) set_bit(active_.data(), P);
}

void DescendingScan::lower(int32_t P, int32_t longest) {
  longest_[P] = longest >= minscan_ ? longest : 0;
  if (short_pattern_) {
    short_longest_[P] = static_cast<uint8_t>(longest_[P]);
    return;
  }
  active_[P >> 6] &= ~(uint64_t{1} << (P & 63));
  if (longest_[P] > 0) {
    lowered_next_[P] = lowered_first_[longest];
    lowered_first_[longest] = P;
  }
}

// Neighbouring starts often share a length, so they are counted in separate
// streams, lest each count wait for the one before.
void DescendingScan::group_by_length(int32_t LA, int32_t start) {
  std::fill_n(level_counts_.begin(), (start + 1) * kStreams, 0);
  for (int32_t P = 0; P < LA; ++P) ++level_counts_[longest_[P] * kStreams + P % kStreams];
  // Each count becomes where its stream's starts of that length go.
  for (int32_t L = start, sum = 0; L >= 0; --L) {
    length_begin_[L] = sum;
    for (int k = 0; k < kStreams; ++k) {
      const int32_t count = level_counts_[L * kStreams + k];
      level_counts_[L * kStreams + k] = sum;
      sum += count;
    }
    length_end_[L] = sum;
  }
  for (int32_t P = 0; P < LA; ++P)
    by_length_[level_counts_[longest_[P] * kStreams + P % kStreams]++] = P;
}

// Marks active the window starts of a short pattern whose longest window
// has at least L bytes.
void DescendingScan::mark_at_least(int32_t L, int32_t words) {
#ifdef __SSE2__
  const __m128i level = _mm_set1_epi8(static_cast<char>(L));
  for (int32_t w = 0; w < words; ++w) {
    uint64_t bits = 0;
    for (int c = 0; c < 4; ++c) {
      const __m128i lengths =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(&short_longest_[w * 64 + c * 16]));
      const __m128i reach = _mm_cmpeq_epi8(_mm_max_epu8(lengths, level), lengths);
      bits |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(reach))) << (c * 16);
    }
    active_[w] = bits;
  }
#else
  for (int32_t w = 0; w < words; ++w) {
    uint64_t bits = 0;
    for (int i = 0; i < 64; ++i)
      bits |= static_cast<uint64_t>(short_longest_[w * 64 + i] >= L) << i;
    active_[w] = bits;
  }
#endif
}

template int32_t DescendingScan::score(const ArrangedPair&, const MatchingStatistics&,
                                       NarrowBitLookup&, int32_t, int32_t, int32_t, int32_t);
template int32_t DescendingScan::score(const ArrangedPair&, const MatchingStatistics&,
                                       WideBitLookup&, int32_t, int32_t, int32_t, int32_t);
template int32_t DescendingScan::score(const ArrangedPair&, const MatchingStatistics&,
                                       AutomatonLookup&, int32_t, int32_t, int32_t, int32_t);

}  // namespace vexaro
