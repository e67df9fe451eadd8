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

int32_t startlen(int32_t n, const uint8_t* searched, uint8_t* pattern, int32_t MINSCAN) {
  const int64_t m = shortest_counted(MINSCAN);
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

int32_t simdiff(const uint8_t* searched, const uint8_t* pattern, int32_t searched_length,
                int32_t pattern_length, uint8_t Minbyt, uint8_t Maxbyt) {
  int64_t D = 0;
  for (int32_t i = 0; i < pattern_length; ++i) D += std::abs(searched[i] - pattern[i]);
  return byte_difference_score(D, searched_length, pattern_length, Minbyt, Maxbyt);
}

LiteralScorer::LiteralScorer(const Settings& settings, const RecordStats& stats)
    : settings_(settings), stats_(stats) {}

void LiteralScorer::start_row() {
  Sxstrng_[0] = '\0';
  Sxmatw_ = 0;
}

int32_t LiteralScorer::simlin(const uint8_t* reference, const uint8_t* candidate, int32_t Sleni,
                              int32_t Slenj) {
  if (reference != nullptr) str1stlen_ = prepare_item(settings_, reference, str1s_.data());
  int32_t LA = prepare_item(settings_, candidate, candidate_.data());

  // The scan blanks what it finds, so it works on a copy of the cached reference.
  std::memcpy(work_.data(), str1s_.data(), str1stlen_ + 1);
  int32_t LB = str1stlen_;
  uint8_t* searched = work_.data();
  uint8_t* pattern = candidate_.data();
  if (LA > LB) {
    std::swap(searched, pattern);
    std::swap(LA, LB);
  }
  // An empty item becomes the single blank byte, so no length is 0 from here on.
  auto blank_if_empty = [](uint8_t* item, int32_t& length) {
    if (length != 0) return;
    item[0] = kBlank;
    item[1] = 0;
    length = 1;
  };
  blank_if_empty(searched, LB);
  blank_if_empty(pattern, LA);

  if (settings_.bytdif) return simdiff(searched, pattern, LB, LA, stats_.Minbyt, stats_.Maxbyt);
  return common_substring_score(searched, pattern, LB, LA, Sleni, Slenj);
}

int32_t LiteralScorer::common_substring_score(uint8_t* searched, uint8_t* pattern, int32_t LB,
                                              int32_t LA, int32_t Sleni, int32_t Slenj) {
  auto row_score = [this] {
    return single_score(stats_, static_cast<int32_t>(std::strlen(Sxstrng_.data())));
  };
  const int32_t minscan = shortest_counted(settings_.MINSCAN);
  uint64_t match_sum = 0;
  for (int32_t L = startlen(LA, searched, pattern, minscan); L >= minscan; --L) {
    for (int32_t P = 0; P <= LA - L; ++P) {
      const int32_t E = P + L;
      const uint8_t saved = pattern[E];
      pattern[E] = 0;  // the window is now the zero-ended string at P
      uint8_t* window = pattern + P;
      const uint8_t* hit =
          std::memchr(window, kBlank, L) == nullptr ? find_first(searched, window) : nullptr;
      if (hit != nullptr) {
        const int32_t H = static_cast<int32_t>(hit - searched);
        if (settings_.single) {
          // The first hit is the longest; only it can raise the row's record.
          if (L > Sxmatw_) {
            Sxmatw_ = L;
            std::memcpy(Sxstrng_.data(), window, L + 1);
          }
          pattern[E] = saved;
          return row_score();
        }
        match_sum += hit_increment(settings_, L, P, H, LA, LB);
        std::memset(searched + H, kBlank, L);
        std::memset(window, kBlank, L);
        P += L - 1;
      }
      pattern[E] = saved;
    }
  }
  if (settings_.single) return row_score();
  return final_score(settings_, stats_, match_sum, LA, LB, Sleni, Slenj);
}

}  // namespace vexaro
