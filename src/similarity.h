// The literal scorer: item preparation, the common-substring measure and the
// byte-difference measure, following the procedure step by step. It is kept
// as the oracle that faster engines are tested against.
#pragma once

#include <array>
#include <cstdint>

#include "record_index.h"
#include "settings.h"

namespace vexaro {

// Longest prepared item: a Metaphone key may be one byte over the record limit.
inline constexpr int kMaxPrepared = kMaxRecordLength + 1;

// Filters and folds the zero-ended `raw` item, blanks the omit list and, under
// metap, replaces it by its Metaphone key. Writes the zero-ended prepared item
// to `out` (at most kMaxPrepared bytes and the zero end; callers give
// kMaxPrepared + 3) and returns its length.
int32_t prepare_item(const Settings& settings, const uint8_t* raw, uint8_t* out);

// An upper bound for the longest common substring of the zero-ended items,
// found by doubling a probe length from MINSCAN; `n` is the pattern length.
// The pattern is changed only for the time of each probe.
int32_t startlen(int32_t n, const uint8_t* searched, uint8_t* pattern, int32_t MINSCAN);

// The byte-difference score of two prepared items, the searched one at least
// as long as the pattern (both lengths at least 1).
int32_t simdiff(const uint8_t* searched, const uint8_t* pattern, int32_t searched_length,
                int32_t pattern_length, uint8_t Minbyt, uint8_t Maxbyt);
// The byte-difference score of items whose compared bytes differ by D in all.
int32_t byte_difference_score(int64_t D, int32_t searched_length, int32_t pattern_length,
                              uint8_t Minbyt, uint8_t Maxbyt);

// Written over bytes that must take no further part in matching.
inline constexpr uint8_t kBlank = 1;

// What one hit of length L at pattern start P and searched start H adds to
// the match sum; LA and LB are the pattern and searched lengths.
uint32_t hit_increment(const Settings& settings, uint32_t L, uint32_t P, uint32_t H, uint32_t LA,
                       uint32_t LB);

// The common-substring score of a match sum. Never decreases as the match
// sum grows, which is what lets faster engines prune with bounds of it.
int32_t final_score(const Settings& settings, const RecordStats& stats, uint64_t match_sum,
                    int32_t LA, int32_t LB, int32_t Sleni, int32_t Slenj);

// The single-mode score of a row whose longest common substring so far has
// `longest` bytes.
int32_t single_score(const RecordStats& stats, int32_t longest);

class LiteralScorer {
 public:
  LiteralScorer(const Settings& settings, const RecordStats& stats);

  // Scores `candidate` against `reference`; a null reference reuses the one
  // prepared by the last call that passed one. Both are zero-ended texts.
  // Sleni and Slenj are the stored record lengths of reference and candidate.
  int32_t simlin(const uint8_t* reference, const uint8_t* candidate, int32_t Sleni, int32_t Slenj);

  // Under -a9999: empties the longest common substring of the row.
  void start_row();
  // Under -a9999: the longest common substring recorded in this row.
  const char* Sxstrng() const { return Sxstrng_.data(); }
  int32_t Sxmatw() const { return Sxmatw_; }

 private:
  int32_t common_substring_score(uint8_t* searched, uint8_t* pattern, int32_t LB, int32_t LA,
                                 int32_t Sleni, int32_t Slenj);

  const Settings& settings_;
  const RecordStats& stats_;
  std::array<uint8_t, kMaxPrepared + 1> str1s_{};  // the prepared reference, kept between calls
  int32_t str1stlen_ = 0;
  std::array<uint8_t, kMaxPrepared + 3> candidate_{};
  std::array<uint8_t, kMaxPrepared + 3> work_{};
  std::array<char, kMaxPrepared + 1> Sxstrng_{};
  int32_t Sxmatw_ = 0;
};

}  // namespace vexaro
