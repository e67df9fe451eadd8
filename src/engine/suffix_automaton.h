// SPDX-License-Identifier: MIT
// The suffix automaton of a searched item longer than the bit lookups take:
// every piece of the item is a path from the root, so walking another text
// through it gives, at each byte, the longest piece ending there that occurs
// in the item (matching statistics). It is kept while the same item is
// searched again (a row's reference), and then completed into a table that
// takes each step of a walk in one load.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/grams.h"
#include "scoring/item.h"

namespace vexaro {

struct MatchingStatistics;

class SuffixAutomaton {
 public:
  SuffixAutomaton();

  // Whether the automaton is that of `item`.
  bool holds(ItemView item) const;
  void build(ItemView item);
  // Completes the walk table: worth it for an item that many texts are walked through.
  void complete();

  // The pattern's statistics, the pattern walked through the automaton of
  // the searched item: end_len, end_state and start_len. Returns the
  // longest common substring.
  int32_t statistics_of(ItemView pattern, MatchingStatistics& stats) const;
  // The statistics of the automaton's own item as the pattern, from the
  // searched item walked through it: end_len, and per searched byte in
  // end_state the state of the piece ending there when it is as long as a
  // q-gram, else the root (the q-gram ending there is not in the item).
  int32_t statistics_through(ItemView searched, MatchingStatistics& stats);
  // The item's distinct q-grams are numbered 1 to gram_classes()-1, and
  // class 0 stands for pieces shorter than a q-gram; the class of the
  // q-gram that starts at byte P of the item.
  int32_t gram_classes() const { return gram_classes_; }
  int32_t gram_class_at(int32_t P) const { return gram_of_state_[prefix_state_[P + kGram - 1]]; }
  // The class of the q-gram that the pieces of a state end with.
  int32_t gram_class_of(int32_t state) const { return gram_of_state_[state]; }
  // The first place where the L bytes ending at a pattern byte occur in the
  // item, from that byte's end_state (statistics_of made it).
  int32_t first_occurrence(int32_t end_state, int32_t L) const;

 private:
  int32_t transition(int32_t state, uint8_t byte) const;
  void order_states();
  void number_grams();
  struct Walker {
    int32_t at = 0;  // the next text byte
    int32_t state = 0, length = 0;
    int32_t next_follow = 0;  // where following the item may be tried next
  };
  template <class Visit>
  void walk(ItemView text, Visit&& visit) const;
  template <class Visit>
  void walk_in_halves(ItemView text, Visit&& visit) const;
  // Takes and gives the walker by value, which keeps a walk's state in
  // registers.
  template <class Visit>
  Walker follow_item(ItemView text, int32_t stop, Walker w, Visit&& visit) const;

  static constexpr int kStates = 2 * kItemRoom;
  static constexpr int32_t kHalvedWalk = 256;      // texts this long are walked in two halves
  static constexpr int32_t kFollowFrom = 12;       // pieces this long follow the item
  static constexpr int32_t kFollowItem = 256;      // in items this long
  static constexpr uint32_t kKeepLength = 0xFFFF;  // in the walk table: the length grows by one

  // The arrays without an initializer are written before they are read, so
  // they are left unzeroed: zeroing every thread's scorer would cost a small
  // input more than its whole search.
  std::array<int32_t, kStates> len_, link_, first_end_;
  std::array<int16_t, 256> symbol_;      // per byte: its number in the item, or -1
  std::array<uint8_t, 256> alphabet_{};  // the bytes the item holds
  int32_t sigma_ = 0;                    // how many
  std::vector<int16_t> next_;            // per state and symbol: the next state, or -1
  int32_t states_ = 0;
  std::array<uint8_t, kItemRoom> item_;  // the item the automaton was built for
  int32_t item_length_ = -1;
  // Per item byte, the state of the prefix that ends there; per state, the
  // byte whose prefix it is, or -1.
  std::array<int32_t, kItemRoom> prefix_state_;
  std::array<int32_t, kStates> prefix_at_;
  // The states by length, made when first needed.
  std::array<int32_t, kStates> by_state_length_;
  // The same in that order: each state's place, its link's place and
  // length, and the item byte whose prefix it is (kNoPrefix for none).
  std::array<int32_t, kStates> order_of_, ordered_link_, ordered_link_len_, ordered_prefix_at_;
  static constexpr int32_t kNoPrefix = kItemRoom - 1;
  static_assert(kMaxPrepared < kNoPrefix, "no item reaches the byte non-prefix states write");
  std::array<int32_t, kItemRoom + 1> length_count_;
  bool states_ordered_ = false;
  // The completed walk: per state and byte column, the state a walk goes to
  // and the length it then has, found once along the suffix links instead
  // of at every step of every walk.
  std::vector<uint32_t> walk_;          // next state | length << 16
  std::array<uint16_t, 256> column_{};  // per byte; bytes not held share one
  bool walk_ready_ = false;
  // Per state, the longest piece of its class found in the searched item.
  std::array<int32_t, kStates> found_;
  // Per state, the class of the q-gram its pieces end with, or 0 for
  // pieces shorter than a q-gram: a state's pieces are suffixes of each
  // other, so those of q-gram length or more end with the same one.
  std::array<int32_t, kStates> gram_of_state_;
  int32_t gram_classes_ = 0;
};

}  // namespace vexaro
