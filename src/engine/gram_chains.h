// SPDX-License-Identifier: MIT
// Q-gram chains of an item: per position, the next one that starts with the
// same q-gram. The places where a window can occur are those of its first
// q-gram, so a window is looked up along one chain, and a miss there tells
// the longest piece from the window's start that still occurs.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "engine/gram_table.h"
#include "engine/grams.h"
#include "scoring/item.h"

namespace vexaro {

// A piece of a window found in an item: its length and first place.
struct Piece {
  int32_t length = 0;
  int32_t at = -1;
};

class GramChains {
 public:
  GramChains() : first_(kItemRoom) {}

  void build(ItemView item);
  // Chains an item of `length` bytes whose q-grams the caller has numbered
  // 1 to classes-1: class_ending(i) is the class of the q-gram that ends at
  // byte i, or 0 for one that no window will be looked up by. Saves
  // hashing every q-gram of the item.
  template <class ClassEnding>
  void build_by_class(int32_t length, int32_t classes, ClassEnding&& class_ending);
  // The first place of the q-gram in the item, or -1.
  int32_t first_of(uint32_t gram) const { return first_.find(gram); }
  // The same, by class, after build_by_class.
  int32_t first_of_class(int32_t gram_class) const { return first_of_class_[gram_class]; }
  // Along the chain from `from`, the longest leading piece of the window's
  // L bytes that stands in `text` (the item as blanked so far), and its
  // first place.
  Piece longest_piece(int32_t from, const uint8_t* text, int32_t length, const uint8_t* window,
                      int32_t L);
  // Puts back the links that walks took blanked places out of.
  void restore();

 private:
  std::array<int32_t, kItemRoom> next_;            // per position: the next with its q-gram, or -1
  GramTable first_;                                // per q-gram: its first position
  std::array<int32_t, kItemRoom> first_of_class_;  // per q-gram class: its first position
  // The links a walk changed to pass blanked places, with what they held.
  std::array<std::pair<int32_t, int32_t>, kItemRoom> bypassed_;
  int32_t bypasses_ = 0;
};

template <class ClassEnding>
void GramChains::build_by_class(int32_t length, int32_t classes, ClassEnding&& class_ending) {
  std::fill_n(first_of_class_.begin(), classes, -1);
  bypasses_ = 0;
  // Class 0 is chained too, never read: the loop has no branch to mispredict.
  for (int32_t h = length - kGram; h >= 0; --h) {
    const int32_t gram_class = class_ending(h + kGram - 1);
    next_[h] = first_of_class_[gram_class];
    first_of_class_[gram_class] = h;
  }
}

}  // namespace vexaro
