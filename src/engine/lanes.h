// SPDX-License-Identifier: MIT
// How a row is shared between threads. Each thread searches one lane: with
// a gram index of enough bitset words, the candidates of a range of them,
// whose counts the lane makes itself; otherwise a stretch of slots, finer
// than a few words could be. A lane searches its candidates in slot order
// against its own best and the bests the other lanes showed before each
// slot; what the lanes found is merged in slot order afterwards, so the
// outcome is that of a one-by-one search.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/check.h"

namespace vexaro {

// A lane's share of a row: the slots it searches and, when the row is
// shared by bitset words, the words whose candidates are its own.
struct Share {
  int32_t from = 0, to = 0;
  int32_t first_word = 0, end_word = 0;
};

class LaneSchedule {
 public:
  using Duration = std::chrono::steady_clock::duration;
  // Lanes share a row by index words when there are this many, else by slots.
  static constexpr int32_t kFewestWordsToShare = 64;

  LaneSchedule(int lanes, int32_t records);

  int size() const { return static_cast<int>(lanes_.size()); }

  // Gives each of the first `lanes` lanes its share of the row's slots
  // row+1 to count-1, by the index's `words` bitset words when there are
  // enough of them. Shown bests are reset before any thread starts: a lane
  // must never count on an earlier row's.
  void share_out(int32_t row, int32_t count, int lanes, int32_t words);
  bool by_words() const { return by_words_; }
  const Share& share(int lane) const { return lanes_[lane]->share; }

  // Publishes a rise of the lane's best, for the other lanes' later slots.
  void show(int lane, int32_t slot, int32_t best);
  // The best the other lanes have shown at slots before `slot`: a score the
  // row has certainly reached before it.
  int32_t shown_before(int lane, int lanes, int32_t slot);

  // How long the lane took over its share of the row.
  void note_busy(int lane, Duration busy) { lanes_[lane]->busy = busy; }
  Duration busy(int lane) const { return lanes_[lane]->busy; }
  // Moves the borders between shares towards the lanes that finished first:
  // the work of a row is far from even across its shares. Only the time a
  // run takes depends on where the borders are.
  void balance(int lanes);

 private:
  // A lane's best at the moment a slot raised it.
  struct Shown {
    int32_t slot;
    int32_t best;
  };
  // One lane's part of the schedule.
  struct Part {
    Share share;
    double starts_at = 0;  // where its share begins, as a share of the slots or of the words
    Duration busy{};
    std::vector<Shown> shown;                         // each rise of its best, in slot order
    alignas(64) std::atomic<int32_t> shown_count{0};  // entries of `shown` the others may read
    std::vector<int32_t> read;                        // per lane: its entries already counted on
  };
  std::vector<std::unique_ptr<Part>> lanes_;
  bool by_words_ = true;
};

inline void LaneSchedule::show(int index, int32_t slot, int32_t best) {
  Part& lane = *lanes_[index];
  const int32_t count = lane.shown_count.load(std::memory_order_relaxed);
  VEXARO_ASSERT(count < static_cast<int32_t>(lane.shown.size()));
  lane.shown[count] = {slot, best};
  lane.shown_count.store(count + 1, std::memory_order_release);
}

}  // namespace vexaro
