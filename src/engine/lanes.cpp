// SPDX-License-Identifier: MIT
#include "engine/lanes.h"

#include <algorithm>
#include <climits>

#include "common/bits.h"
#include "common/check.h"

namespace vexaro {
namespace {

// How far a border between shares moves after a row, as a share of the
// room it has.
constexpr double kBalanceStep = 0.02;

int32_t on_line(int32_t word) { return word / kLineWords * kLineWords; }

}  // namespace

LaneSchedule::LaneSchedule(int lanes, int32_t records) {
  VEXARO_ASSERT(lanes >= 1 && records >= 0);
  for (int t = 0; t < lanes; ++t) {
    auto lane = std::make_unique<Part>();
    lane->shown.resize(records);
    lane->read.resize(lanes);
    lane->starts_at = static_cast<double>(t) / lanes;
    lanes_.push_back(std::move(lane));
  }
}

void LaneSchedule::share_out(int32_t row, int32_t count, int lanes, int32_t words) {
  VEXARO_ASSERT(lanes >= 1 && lanes <= size() && row >= 0 && row < count);
  by_words_ = lanes == 1 || words >= kFewestWordsToShare;
  auto border = [&](int lane, int32_t size) {
    if (lane == 0) return 0;
    if (lane == lanes) return size;
    return static_cast<int32_t>(size * lanes_[lane]->starts_at);
  };
  for (int index = 0; index < lanes; ++index) {
    Part& lane = *lanes_[index];
    lane.shown_count.store(0, std::memory_order_relaxed);
    std::fill(lane.read.begin(), lane.read.end(), 0);
    Share& share = lane.share;
    share.first_word = 0;
    share.end_word = words;
    if (by_words_) {
      share.from = row + 1;
      share.to = count;
      // Borders fall on whole cache lines of the bitsets, so that lanes
      // never write to the same line.
      if (index > 0) share.first_word = on_line(border(index, words));
      if (index + 1 < lanes) share.end_word = on_line(border(index + 1, words));
    } else {
      share.from = row + 1 + border(index, count - row - 1);
      share.to = row + 1 + border(index + 1, count - row - 1);
    }
  }
}

// Slots only grow, so each lane's entries are read once.
int32_t LaneSchedule::shown_before(int index, int lanes, int32_t slot) {
  Part& lane = *lanes_[index];
  int32_t best = INT32_MIN;
  for (int other = 0; other < lanes; ++other) {
    if (other == index) continue;
    const Part& them = *lanes_[other];
    const int32_t count = them.shown_count.load(std::memory_order_acquire);
    int32_t& read = lane.read[other];
    while (read < count && them.shown[read].slot < slot) ++read;
    if (read > 0) best = std::max(best, them.shown[read - 1].best);
  }
  return best;
}

void LaneSchedule::balance(int lanes) {
  for (int lane = 1; lane < lanes; ++lane) {
    Part& left = *lanes_[lane - 1];
    Part& right = *lanes_[lane];
    const double low = lane == 1 ? 0.0 : left.starts_at;
    const double high = lane + 1 == lanes ? 1.0 : lanes_[lane + 1]->starts_at;
    const double step = left.busy > right.busy ? -kBalanceStep : kBalanceStep;
    right.starts_at = std::clamp(right.starts_at + step * (high - low), low + 0.01, high - 0.01);
  }
}

}  // namespace vexaro
