// SPDX-License-Identifier: MIT
// How the one-to-many searches rank what they find: a choice's score and
// place as one number, greater for a higher score and, on equal scores,
// for an earlier choice, so that "beats" is one comparison whatever order
// the choices are scored in; and the best few choices kept by that number.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <queue>
#include <vector>

namespace vexaro {

// A choice's place in the list and its score.
struct ChoiceScore {
  size_t index;
  int32_t score;
};

// The key of a choice, for indices below UINT32_MAX; 0 stands for none.
inline uint64_t choice_key(int32_t score, size_t index) {
  return uint64_t{static_cast<uint32_t>(score) ^ 0x80000000u} << 32 |
         (UINT32_MAX - static_cast<uint32_t>(index));
}
inline int32_t key_score(uint64_t key) { return static_cast<int32_t>((key >> 32) ^ 0x80000000u); }
inline size_t key_index(uint64_t key) { return UINT32_MAX - static_cast<uint32_t>(key); }

// The score choice `index` must pass for its key to exceed `key`: an earlier
// choice wins a tie. INT32_MIN when there is no key to beat.
inline int32_t cutoff_against(uint64_t key, size_t index) {
  if (key == 0) return INT32_MIN;
  const int32_t score = key_score(key);
  if (key_index(key) < index || score == INT32_MIN) return score;
  return score - 1;
}

// The `limit` best choices offered, kept as a heap whose top is the worst
// of them: what a choice must beat to enter once the heap is full.
class TopChoices {
 public:
  explicit TopChoices(size_t limit) : limit_(limit) {}

  size_t limit() const { return limit_; }
  bool full() const { return heap_.size() >= limit_; }
  // The key a choice must exceed to enter, 0 while there is room.
  uint64_t worst() const { return full() && limit_ > 0 ? heap_.top() : 0; }
  // The score choice `index` must pass to enter.
  int32_t cutoff(size_t index) const {
    if (limit_ == 0) return INT32_MAX;
    return cutoff_against(worst(), index);
  }
  // A score that no choice entering from now on can be at or below.
  int32_t least_cutoff() const {
    if (limit_ == 0) return INT32_MAX;
    const uint64_t key = worst();
    return key == 0 || key_score(key) == INT32_MIN ? INT32_MIN : key_score(key) - 1;
  }
  // Takes the choice in if it beats the worst kept; returns whether it did.
  bool offer(int32_t score, size_t index) {
    const uint64_t key = choice_key(score, index);
    if (limit_ == 0 || (full() && key <= heap_.top())) return false;
    heap_.push(key);
    if (heap_.size() > limit_) heap_.pop();
    return true;
  }
  // The choices kept, the best first.
  std::vector<ChoiceScore> sorted() const {
    std::vector<uint64_t> keys;
    for (auto heap = heap_; !heap.empty(); heap.pop()) keys.push_back(heap.top());
    std::vector<ChoiceScore> found;
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
      found.push_back({key_index(*key), key_score(*key)});
    return found;
  }

 private:
  size_t limit_;
  std::priority_queue<uint64_t, std::vector<uint64_t>, std::greater<uint64_t>> heap_;
};

}  // namespace vexaro
