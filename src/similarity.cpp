#include "similarity.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "phonetic.h"

namespace vexaro {
namespace {

// The first occurrence of the zero-ended `window` in the zero-ended `searched`.
const uint8_t* find_first(const uint8_t* searched, const uint8_t* window) {
  return reinterpret_cast<const uint8_t*>(
      std::strstr(reinterpret_cast<const char*>(searched), reinterpret_cast<const char*>(window)));
}

bool is_folded(uint8_t b) { return (b >= 65 && b <= 90) || (b >= 192 && b <= 223); }

// A MINSCAN below 1 would make empty windows match forever.
int32_t shortest_counted(int32_t MINSCAN) { return std::max<int32_t>(MINSCAN, 1); }

}  // namespace

uint32_t hit_increment(const Settings& s, uint32_t L, uint32_t P, uint32_t H, uint32_t LA,
                       uint32_t LB) {
  const uint32_t PA = (L / 2 + P) * 100 / LA;
  const uint32_t PB = (H + L / 2) * 100 / LB;
  const uint32_t D = PA > PB ? PA - PB : PB - PA;
  const uint32_t position = 2 * L / (D / 10 + 1);
  if (s.adapt == 0) return s.posab ? position : 2 * L;
  const uint32_t length = L * L / (LB / s.adapt + 1);
  return s.posab ? (position + length) / 2 : length;
}

int32_t final_score(const Settings& s, const RecordStats& stats, uint64_t match_sum, int32_t LA,
                    int32_t LB, int32_t Sleni, int32_t Slenj) {
  int64_t S = static_cast<int64_t>(match_sum * 1000);
  // Without records there is no mean length to correlate with; leave S as it is.
  if (s.linlencor && stats.Smeanlen2 > 0) {
    S = (static_cast<int64_t>(Sleni) + Slenj) * S / stats.Smeanlen2;
  }
  return static_cast<int32_t>(S / (LA + LB));
}

int32_t single_score(const RecordStats& stats, int32_t longest) {
  if (stats.Linza == 0) return 0;
  const int64_t mean = static_cast<int64_t>(stats.Slinlensum) / stats.Linza;
  if (mean == 0) return 0;
  return static_cast<int32_t>(static_cast<int64_t>(longest) * 1000 / mean);
}

int32_t prepare_item(const Settings& s, const uint8_t* raw, uint8_t* out) {
  int32_t length = 0;
  // The cap only matters for callers that break the 2000-byte item limit.
  for (const uint8_t* r = raw; *r != 0 && length < kMaxRecordLength; ++r) {
    uint8_t b = *r;
    if (b < s.minchar || b > s.hichar) continue;
    if (!s.casens && is_folded(b)) b |= 0x20;
    out[length++] = b;
  }
  out[length] = 0;

  if (s.omitnr) {
    for (const auto& slot : s.omtext) {
      std::array<char, kOmitSlotBytes + 1> omit{};  // ends the string even if a slot is full
      std::memcpy(omit.data(), slot.data(), kOmitSlotBytes);
      if (omit[0] == '\0') break;  // an empty slot hides the ones after it
      const uint8_t* hit = find_first(out, reinterpret_cast<const uint8_t*>(omit.data()));
      if (hit != nullptr) std::memset(out + (hit - out), kBlank, std::strlen(omit.data()));
    }
  }

  if (s.metap) {
    std::array<char, kMaxPrepared + 3> work;
    work[0] = '\0';
    phonetic(out, work.data(), kMaxRecordLength);
    length = static_cast<int32_t>(std::strlen(work.data()));
    std::memcpy(out, work.data(), length + 1);
  }
  return length;
}

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

int32_t byte_difference_score(int64_t D, int32_t searched_length, int32_t pattern_length,
                              uint8_t Minbyt, uint8_t Maxbyt) {
  const int64_t R = static_cast<int64_t>(Maxbyt) - Minbyt;
  const int64_t T = D + R * (searched_length - pattern_length);
  if (T == 0) return 1000;
  const int64_t F = R * searched_length;
  if (F == 0) return 0;  // a collapsed byte range has no scale: differing items share nothing
  const int64_t score = (F - T) * 1000 / F;
  return static_cast<int32_t>(std::min<int64_t>(score, 999));
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
