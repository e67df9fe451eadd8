// SPDX-License-Identifier: MIT
#include "engine/suffix_automaton.h"

#include <algorithm>
#include <cstring>

#include "common/check.h"
#include "engine/byte_runs.h"
#include "engine/matching_statistics.h"

namespace vexaro {

SuffixAutomaton::SuffixAutomaton() { symbol_.fill(-1); }

bool SuffixAutomaton::holds(ItemView item) const {
  return item.length == item_length_ && std::memcmp(item.bytes, item_.data(), item_length_) == 0;
}

int32_t SuffixAutomaton::transition(int32_t state, uint8_t byte) const {
  const int32_t symbol = symbol_[byte];
  return symbol < 0 ? -1 : next_[static_cast<size_t>(state) * sigma_ + symbol];
}

// The automaton's transitions are a dense table over the bytes the searched
// item holds, numbered in order of first appearance.
void SuffixAutomaton::build(ItemView searched) {
  VEXARO_ASSERT(searched.length >= 0 && searched.length <= kMaxPrepared);
  for (int32_t i = 0; i < sigma_; ++i) symbol_[alphabet_[i]] = -1;
  sigma_ = 0;
  for (int32_t i = 0; i < searched.length; ++i) {
    const uint8_t c = searched.bytes[i];
    if (symbol_[c] < 0) {
      symbol_[c] = static_cast<int16_t>(sigma_);
      alphabet_[sigma_++] = c;
    }
  }
  const size_t row = static_cast<size_t>(sigma_);
  if (next_.size() < (2 * static_cast<size_t>(searched.length) + 2) * row) {
    next_.resize((2 * static_cast<size_t>(searched.length) + 2) * row);
  }
  auto edges = [&](int32_t state) { return next_.data() + state * row; };
  auto new_state = [&](int32_t length, int32_t first_end) {
    len_[states_] = length;
    first_end_[states_] = first_end;
    prefix_at_[states_] = -1;
    std::fill_n(edges(states_), row, int16_t{-1});
    return states_++;
  };
  states_ = 0;
  states_ordered_ = false;
  walk_ready_ = false;
  int32_t last = new_state(0, -1);
  link_[last] = -1;
  for (int32_t i = 0; i < searched.length; ++i) {
    const int32_t c = symbol_[searched.bytes[i]];
    const int32_t cur = new_state(len_[last] + 1, i);
    prefix_state_[i] = cur;
    prefix_at_[cur] = i;
    int32_t p = last;
    for (; p != -1 && edges(p)[c] < 0; p = link_[p]) edges(p)[c] = static_cast<int16_t>(cur);
    if (p == -1) {
      link_[cur] = 0;
    } else if (const int32_t q = edges(p)[c]; len_[p] + 1 == len_[q]) {
      link_[cur] = q;
    } else {
      const int32_t clone = new_state(len_[p] + 1, first_end_[q]);
      link_[clone] = link_[q];
      std::copy_n(edges(q), row, edges(clone));
      for (; p != -1 && edges(p)[c] == q; p = link_[p]) edges(p)[c] = static_cast<int16_t>(clone);
      link_[q] = link_[cur] = clone;
    }
    last = cur;
  }
  std::memcpy(item_.data(), searched.bytes, searched.length);
  item_length_ = searched.length;
}

// Walks the text through the automaton, calling visit(i, state, length)
// with the state and length of the longest piece ending at each byte i. A
// byte may be visited more than once: the last visit holds the longest
// piece, an earlier one a shorter piece of the same end.
template <class Visit>
void SuffixAutomaton::walk(ItemView text, Visit&& visit) const {
  if (walk_ready_) {
    walk_in_halves(text, visit);
    return;
  }
  const bool follows = item_length_ >= kFollowItem;
  Walker w;
  for (w.at = 0; w.at < text.length;) {
    const uint8_t c = text.bytes[w.at];
    int32_t next = transition(w.state, c);
    while (next == -1 && w.state != 0) {
      w.state = link_[w.state];
      w.length = len_[w.state];
      next = transition(w.state, c);
    }
    if (next == -1) {
      w.length = 0;
    } else {
      w.state = next;
      ++w.length;
    }
    visit(w.at++, w.state, w.length);
    if (follows && w.length >= kFollowFrom && w.at >= w.next_follow)
      w = follow_item(text, text.length, w, visit);
  }
}

// A walk that stands in a prefix state of the item, with a piece long
// enough to be worth it, follows the item itself while the text agrees
// with it, 8 bytes a compare: each step there goes to the next prefix state
// and the piece grows by one. Near-identical long items are walked in a few
// such stretches, without a table load per byte; the table of a short item
// stays in the nearest cache, where following would gain nothing.
template <class Visit>
SuffixAutomaton::Walker SuffixAutomaton::follow_item(ItemView text, int32_t stop, Walker w,
                                                     Visit&& visit) const {
  if (w.at >= stop) return w;
  const int32_t j = prefix_at_[w.state];
  const int32_t agree = j < 0 ? 0
                              : common_prefix(text.bytes + w.at, item_.data() + j + 1,
                                              std::min(stop - w.at, item_length_ - j - 1));
  // A piece that repeats in the item, or a stretch that ends at once, is
  // not tried again for a while: following it would cost more than it saves.
  if (agree < kFollowFrom) w.next_follow = w.at + kFollowFrom;
  for (int32_t t = 1; t <= agree; ++t) visit(w.at + t - 1, prefix_state_[j + t], w.length + t);
  if (agree == 0) return w;
  w.at += agree;
  w.state = prefix_state_[j + agree];
  w.length += agree;
  return w;
}

// Each step of a completed walk waits on the load of the step before, so
// a long text is walked from its start and from its middle at once. The
// walk from the middle sees only the pieces that start there or later; the
// walk from the start then goes on past the middle until its piece starts
// there too, from where both walks agree.
template <class Visit>
void SuffixAutomaton::walk_in_halves(ItemView text, Visit&& visit) const {
  const size_t columns = static_cast<size_t>(sigma_) + 1;
  auto step = [&](Walker& w) {
    const uint32_t next = walk_[w.state * columns + column_[text.bytes[w.at]]];
    w.state = static_cast<int32_t>(next & 0xFFFF);
    const uint32_t reset = next >> 16;
    w.length = reset == kKeepLength ? w.length + 1 : static_cast<int32_t>(reset);
    visit(w.at++, w.state, w.length);
  };
  const int32_t n = text.length;
  Walker first;
  if (n < kHalvedWalk) {
    while (first.at < n) step(first);
    return;
  }
  const int32_t middle = n / 2;
  Walker later;
  later.at = middle;
  if (item_length_ < kFollowItem) {
    // In lockstep: the two walks' loads overlap.
    while (later.at < n) {
      if (first.at < middle) step(first);
      step(later);
    }
  } else {
    auto advance = [&](Walker& w, int32_t stop) {
      step(w);
      if (w.length >= kFollowFrom && w.at >= w.next_follow) [[unlikely]]
        w = follow_item(text, stop, w, visit);
    };
    while (first.at < middle || later.at < n) {
      if (first.at < middle) advance(first, middle);
      if (later.at < n) advance(later, n);
    }
  }
  while (first.at < n && first.length > first.at - middle) step(first);
}

// Per state and byte, where the walk goes: along the transition if there
// is one, else where the suffix link's state goes, with the length that
// state's pieces then have.
void SuffixAutomaton::complete() {
  if (walk_ready_) return;
  if (!states_ordered_) order_states();
  const size_t columns = static_cast<size_t>(sigma_) + 1;
  if (walk_.size() < states_ * columns) walk_.resize(states_ * columns);
  column_.fill(static_cast<uint16_t>(sigma_));
  for (int32_t i = 0; i < sigma_; ++i) column_[alphabet_[i]] = static_cast<uint16_t>(i);
  for (int32_t k = 0; k < states_; ++k) {
    const int32_t v = by_state_length_[k];
    uint32_t* row = &walk_[v * columns];
    const int16_t* edges = &next_[static_cast<size_t>(v) * sigma_];
    const uint32_t* link_row = v == 0 ? nullptr : &walk_[link_[v] * columns];
    for (int32_t c = 0; c < sigma_; ++c) {
      if (edges[c] >= 0) {
        row[c] = static_cast<uint32_t>(edges[c]) | kKeepLength << 16;
      } else if (link_row == nullptr) {
        row[c] = 0;  // to the root, with nothing matched
      } else if (link_row[c] >> 16 == kKeepLength) {
        row[c] = (link_row[c] & 0xFFFF) | static_cast<uint32_t>(len_[link_[v]] + 1) << 16;
      } else {
        row[c] = link_row[c];
      }
    }
    row[sigma_] = 0;  // a byte the item does not hold
  }
  walk_ready_ = true;
}

int32_t SuffixAutomaton::statistics_of(ItemView pattern, MatchingStatistics& stats) const {
  walk(pattern, [&](int32_t i, int32_t state, int32_t length) {
    stats.end_len[i] = length;
    stats.end_state[i] = state;
  });
  stats.starts_made = false;
  return *std::max_element(stats.end_len.begin(), stats.end_len.begin() + pattern.length);
}

// Orders the automaton's states by length, so that each comes after its
// suffix link.
void SuffixAutomaton::order_states() {
  const int32_t longest = item_length_;
  std::fill_n(length_count_.begin(), longest + 1, 0);
  for (int32_t v = 0; v < states_; ++v) ++length_count_[len_[v]];
  for (int32_t length = 1; length <= longest; ++length)
    length_count_[length] += length_count_[length - 1];
  for (int32_t v = states_ - 1; v >= 0; --v) by_state_length_[--length_count_[len_[v]]] = v;
  for (int32_t k = 0; k < states_; ++k) order_of_[by_state_length_[k]] = k;
  for (int32_t k = 1; k < states_; ++k) {
    const int32_t link = link_[by_state_length_[k]];
    ordered_link_[k] = order_of_[link];
    ordered_link_len_[k] = len_[link];
  }
  std::fill_n(ordered_prefix_at_.begin(), states_, kNoPrefix);
  for (int32_t i = 0; i < item_length_; ++i) ordered_prefix_at_[order_of_[prefix_state_[i]]] = i;
  number_grams();
  states_ordered_ = true;
}

// A state holds one piece of q-gram length when its suffix link's pieces
// are shorter: that piece is a q-gram of the item, and the states below it
// along the links end with it. Needs the states ordered by length.
void SuffixAutomaton::number_grams() {
  gram_classes_ = 1;
  for (int32_t k = 0; k < states_; ++k) {
    const int32_t v = by_state_length_[k];
    if (len_[v] < kGram)
      gram_of_state_[v] = 0;
    else if (len_[link_[v]] < kGram)
      gram_of_state_[v] = gram_classes_++;
    else
      gram_of_state_[v] = gram_of_state_[link_[v]];
  }
}

// The pattern's matching statistics from the searched item walked through
// the pattern's automaton: the walk finds, per state, the longest piece of
// its class that occurs in the searched item; an occurring piece makes every
// suffix of it occur; and the longest occurring piece ending at a pattern
// byte is the longest found along the suffix links of its prefix state.
int32_t SuffixAutomaton::statistics_through(ItemView searched, MatchingStatistics& stats) {
  if (!states_ordered_) order_states();
  // found_ is kept in the order of the states by length.
  std::fill_n(found_.begin(), states_, 0);
  walk(searched, [&](int32_t i, int32_t state, int32_t length) {
    int32_t& found = found_[order_of_[state]];
    found = std::max(found, length);
    stats.end_state[i] = length >= kGram ? state : 0;
  });
  for (int32_t k = states_ - 1; k > 0; --k) {
    int32_t& link_found = found_[ordered_link_[k]];
    link_found = found_[k] > 0 ? ordered_link_len_[k] : link_found;
  }
  // Down from the root, a state that saw nothing takes its link's value;
  // a prefix state's value is that of its byte. A state that is no prefix
  // writes to a byte past the item, which is never read.
  for (int32_t k = 1; k < states_; ++k) {
    const int32_t found = found_[k] != 0 ? found_[k] : found_[ordered_link_[k]];
    found_[k] = found;
    stats.end_len[ordered_prefix_at_[k]] = found;
  }
  stats.starts_made = false;
  return *std::max_element(stats.end_len.begin(), stats.end_len.begin() + item_length_);
}

int32_t SuffixAutomaton::first_occurrence(int32_t end_state, int32_t L) const {
  VEXARO_ASSERT(L >= 1 && L <= len_[end_state]);
  int32_t state = end_state;
  while (len_[link_[state]] >= L) state = link_[state];
  return first_end_[state] - L + 1;
}

}  // namespace vexaro
