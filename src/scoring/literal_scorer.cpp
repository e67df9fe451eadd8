// SPDX-License-Identifier: MIT
#include "scoring/literal_scorer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "scoring/score_formula.h"

namespace vexaro {
namespace {

// The first occurrence of the zero-ended `window` in the zero-ended `searched`.
const uint8_t* find_first(const uint8_t* searched, const uint8_t* window) {
  return reinterpret_cast<const uint8_t*>(
      std::strstr(reinterpret_cast<const char*>(searched), reinterpret_cast<const char*>(window)));
}

}  // namespace

int32_t start_length(int32_t n, const uint8_t* searched, uint8_t* pattern, int32_t shortest_piece) {
  const int64_t m = shortest_counted(shortest_piece);
  if (n < 3 * m) return n;
  int64_t b = m;
  while (b < n) {
    bool found = false;
    for (int64_t i = 0; i <= n - b && !found; ++i) {
      const uint8_t saved = pattern[i + b];
      pattern[i + b] = 0;
      found = find_first(searched, pattern + i) != nullptr;
      pattern[i + b] = saved;
    }
    if (!found) break;
    b *= 2;
  }
  return static_cast<int32_t>(std::min<int64_t>(b - 1, n));
}

int32_t byte_difference_score(const uint8_t* searched, const uint8_t* pattern,
                              int32_t searched_length, int32_t pattern_length, uint8_t min_byte,
                              uint8_t max_byte) {
  int64_t D = 0;
  for (int32_t i = 0; i < pattern_length; ++i) D += std::abs(searched[i] - pattern[i]);
  return byte_difference_score(D, searched_length, pattern_length, min_byte, max_byte);
}

LiteralScorer::LiteralScorer(const Settings& settings, const RecordStats& stats)
    : items_(item_rules_of(settings)), measure_(measure_of(settings)), stats_(stats) {}

void LiteralScorer::start_row() {
  longest_substring_[0] = '\0';
  longest_length_ = 0;
}

int32_t LiteralScorer::score(const uint8_t* reference, const uint8_t* candidate,
                             int32_t reference_stored, int32_t candidate_stored) {
  if (reference != nullptr) reference_length_ = prepare_item(items_, reference, reference_.data());
  int32_t pattern_length = prepare_item(items_, candidate, candidate_.data());

  // The scan blanks what it finds, so it works on a copy of the cached reference.
  std::memcpy(work_.data(), reference_.data(), reference_length_ + 1);
  int32_t searched_length = reference_length_;
  uint8_t* searched = work_.data();
  uint8_t* pattern = candidate_.data();
  if (pattern_length > searched_length) {
    std::swap(searched, pattern);
    std::swap(pattern_length, searched_length);
  }
  // An empty item becomes the single blank byte, so no length is 0 from here on.
  auto blank_if_empty = [](uint8_t* item, int32_t& length) {
    if (length != 0) return;
    item[0] = kBlank;
    item[1] = 0;
    length = 1;
  };
  blank_if_empty(searched, searched_length);
  blank_if_empty(pattern, pattern_length);

  if (measure_.byte_difference())
    return byte_difference_score(searched, pattern, searched_length, pattern_length,
                                 stats_.min_byte, stats_.max_byte);
  return common_substring_score(searched, pattern, searched_length, pattern_length,
                                reference_stored, candidate_stored);
}

int32_t LiteralScorer::common_substring_score(uint8_t* searched, uint8_t* pattern,
                                              int32_t searched_length, int32_t pattern_length,
                                              int32_t reference_stored, int32_t candidate_stored) {
  auto row_score = [this] {
    return longest_substring_score(stats_,
                                   static_cast<int32_t>(std::strlen(longest_substring_.data())));
  };
  const int32_t shortest_piece = measure_.shortest_piece;
  uint64_t match_sum = 0;
  for (int32_t L = start_length(pattern_length, searched, pattern, shortest_piece);
       L >= shortest_piece; --L) {
    for (int32_t P = 0; P <= pattern_length - L; ++P) {
      const int32_t E = P + L;
      const uint8_t saved = pattern[E];
      pattern[E] = 0;  // the window is now the zero-ended string at P
      uint8_t* window = pattern + P;
      const uint8_t* hit =
          std::memchr(window, kBlank, L) == nullptr ? find_first(searched, window) : nullptr;
      if (hit != nullptr) {
        const int32_t H = static_cast<int32_t>(hit - searched);
        if (measure_.longest_substrings()) {
          // The first hit is the longest; only it can raise the row's record.
          if (L > longest_length_) {
            longest_length_ = L;
            std::memcpy(longest_substring_.data(), window, L + 1);
          }
          pattern[E] = saved;
          return row_score();
        }
        match_sum += hit_increment(measure_, L, P, H, pattern_length, searched_length);
        std::memset(searched + H, kBlank, L);
        std::memset(window, kBlank, L);
        P += L - 1;
      }
      pattern[E] = saved;
    }
  }
  if (measure_.longest_substrings()) return row_score();
  return final_score(measure_, stats_, match_sum, pattern_length, searched_length, reference_stored,
                     candidate_stored);
}

}  // namespace vexaro
