// SPDX-License-Identifier: MIT
// The descending scan of the common-substring measure, exact but for what
// it can skip: for each window length from the start length down, each
// window of the pattern that holds no blank is looked up in the searched
// item; a hit counts, and its bytes are blanked in both items.
//
// Each window start waits at the longest window that can still hit there:
// at first the longest piece from it that occurs in the searched item (the
// matching statistics), later what a miss or a blank inside its window
// leaves. The scan visits only the lengths at which some start waits, the
// longest first, and the starts of one length in pattern order, which is
// the order of the byte-by-byte scan: a length where no start waits has no
// hit to find. It stops once the match sum plus what the unmatched bytes
// could still add cannot beat the caller's threshold.
//
// Starts whose windows all end at the same byte wait as one run, at the
// length of its first: the starts of one occurring piece form such a run,
// and when the first one's window hits it takes the whole run with it. A
// run gives up its first start only when that start's window misses, so
// two near-identical items cost a few runs, not a start per byte.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/bits.h"
#include "engine/arranged_pair.h"
#include "engine/window_lookup.h"
#include "records/record_index.h"
#include "scoring/measure.h"

namespace vexaro {

class DescendingScan {
 public:
  DescendingScan(const Measure& measure, const RecordStats& stats);

  // The literal scan's score when it is above `threshold`; otherwise some
  // value not above it. `lookup` knows the searched item. Made for the
  // lookups of bit_lookup.h and automaton_lookup.h.
  template <WindowLookup Lookup>
  int32_t score(const ArrangedPair& a, MatchingStatistics& stats, Lookup& lookup, int32_t start,
                int32_t reference_stored, int32_t candidate_stored, int32_t threshold);

 private:
  // Lists the runs of starts at their longest windows; returns the bytes
  // those windows cover, the most that hits can take.
  int32_t wait_at_longest(const ArrangedPair& a, MatchingStatistics& stats, int32_t start);
  // The longest length at or below `below` where some run waits, or 0.
  int32_t next_length(int32_t below) const;
  // The first starts of the runs waiting at length L, in pattern order; the
  // length is left empty.
  void take_waiting(int32_t L);
  // The run of starts `first` to `last`, whose windows end before `end`,
  // waits at the length of its first, unless that is below the shortest.
  void wait(int32_t first, int32_t last, int32_t end);
  // Lists the run in `list`, or with a short pattern's runs.
  struct Waiting;
  void enter(int32_t first, int32_t last, int32_t end, Waiting& list);

  // Runs waiting, by length: lists linked through their first starts, a
  // length's list valid while its bit is set.
  struct Waiting {
    static constexpr int kLengthWords = kItemWords;
    std::array<int32_t, kItemRoom> head, next;
    std::array<uint64_t, kLengthWords> lengths;
    void clear() { lengths.fill(0); }
    bool has(int32_t L) const { return test_bit(lengths.data(), L); }
    void push(int32_t L, int32_t P) {
      next[P] = has(L) ? head[L] : -1;
      head[L] = P;
      set_bit(lengths.data(), L);
    }
    // Appends the starts waiting at L, the last pushed first, and empties L.
    void take(int32_t L, std::vector<int32_t>& into) {
      for (int32_t P = head[L]; P >= 0; P = next[P]) into.push_back(P);
      clear_bit(lengths.data(), L);
    }
  };

  // A short pattern's runs wait as bits per length, which come out in
  // pattern order with no list to sort: most patterns are short, and their
  // lengths are few.
  struct ShortWaiting {
    static constexpr int kStarts = 128;
    static constexpr int kStartWords = words_for(kStarts);
    static constexpr int kLengthWords = words_for(kStarts + 1);           // lengths 0 to kStarts
    std::array<std::array<uint64_t, kStartWords>, kStarts + 1> starts{};  // per length
    std::array<uint64_t, kLengthWords> lengths{};
    // Empties what a scan that stopped early left.
    void clear() {
      for_each_bit(lengths.data(), kLengthWords, [&](int32_t L) { starts[L] = {}; });
      lengths = {};
    }
    void push(int32_t L, int32_t P) {
      set_bit(starts[L].data(), P);
      set_bit(lengths.data(), L);
    }
    void take(int32_t L, std::vector<int32_t>& into) {
      for_each_bit(starts[L].data(), kStartWords, [&](int32_t P) { into.push_back(P); });
      starts[L] = {};
      clear_bit(lengths.data(), L);
    }
  };

  const Measure measure_;
  const RecordStats& stats_;
  const int32_t shortest_piece_;
  // Per first start of a waiting run: its last start, and the byte its
  // windows end before.
  std::array<int32_t, kItemRoom> run_last_, run_end_;
  // The runs listed at the start, pushed in pattern order, and those that
  // waited again since, in any order; or, for a short pattern, all in one.
  Waiting first_, later_;
  ShortWaiting short_waiting_;
  bool short_ = false;
  std::vector<int32_t> taken_;            // the runs of the length being scanned
  std::vector<int32_t> waited_, merged_;  // room to merge the two lists of a length
  // The pattern bytes not yet blanked.
  std::array<uint64_t, kItemWords> alive_;
};

}  // namespace vexaro
