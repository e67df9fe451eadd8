// The fast exact pair scorer. It gives the same scores as the literal scorer,
// but from an index of the searched item instead of a byte-string search for
// every window:
//
// The index gives, for every start P in the pattern, the longest piece from P
// that occurs in the searched item (matching statistics). Searched items of up
// to 128 bytes are indexed as one bitset of positions per byte value; longer
// ones by a suffix automaton, which is kept while the same item is searched
// again (a row's reference). A candidate longer than the reference is walked
// through the reference's kept automaton instead, which gives the same
// statistics without an automaton per pair. The doubling probe that picks
// the start length only asks whether some piece of each probe length occurs,
// so the longest common substring decides it. The descending scan then
// visits only the windows (P, L) whose piece occurs at all: blanking found
// pieces only removes occurrences, so the first statistics stay an upper
// bound. A window's first occurrence comes from the index and is checked
// against what blanking took; later occurrences are found through the places
// that begin with the same q-gram, and a miss there tells the longest piece
// from that start that still occurs, so the start waits for that length.
// The scan stops once the match sum plus what the unmatched bytes could
// still add cannot beat the caller's threshold.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "record_index.h"
#include "settings.h"
#include "similarity.h"

namespace vexaro {

// A prepared item: zero-ended bytes and their count.
struct ItemView {
  const uint8_t* bytes;
  int32_t length;
};

// An empty prepared item takes part in a comparison as the single blank byte.
ItemView blank_if_empty(ItemView item);

// The sum of the differences of the first n bytes of a and b.
int64_t byte_differences(const uint8_t* a, const uint8_t* b, int32_t n);

// Upper bound of the match sum of hits that cover at most `covered` pattern
// bytes, none longer than `longest`, when the searched item has LB bytes.
uint64_t match_sum_bound(const Settings& settings, uint64_t covered, uint64_t longest, uint32_t LB);

// The start length that the doubling probe gives for a pattern of n bytes
// whose longest piece occurring in the searched item has `lcs` bytes.
int32_t start_length_from_lcs(int32_t n, int32_t MINSCAN, int32_t lcs);

// Single mode: the first hit of the scan, which is all that mode looks at.
struct SingleHit {
  int32_t length = 0;              // 0 when the scan finds nothing
  const uint8_t* bytes = nullptr;  // its bytes, in one of the two items given
};

class PairScorer {
 public:
  // How often a reference is scored: a row's reference meets many
  // candidates, which repays completing its automaton for quick walks; a
  // single pair is scored without that step and its table.
  enum class Use { rows, single_pair };
  PairScorer(const Settings& settings, const RecordStats& stats, Use use = Use::rows);
  PairScorer(const PairScorer&) = delete;
  PairScorer& operator=(const PairScorer&) = delete;

  // The literal scorer's score of `candidate` against `reference` when that
  // score is above `threshold`; otherwise some value not above `threshold`.
  int32_t score(ItemView reference, ItemView candidate, int32_t Sleni, int32_t Slenj,
                int32_t threshold);

  // Single mode: the first hit the literal scan would make.
  SingleHit single_hit(ItemView reference, ItemView candidate);

 private:
  static constexpr int kRoom = kMaxPrepared + 8;
  struct Arranged {
    ItemView searched, pattern;  // the longer item is searched; empty ones are blank
    bool reference_is_pattern;   // the candidate is the longer item
  };
  // Per position of an item, the next one starting with the same q-gram,
  // or -1; from a small open-addressing table of q-grams, which also holds
  // each q-gram's first position.
  static constexpr int kChainGram = 3;
  struct Piece {
    int32_t length = 0;
    int32_t at = -1;
  };
  struct GramChains {
    static constexpr int kSlots = 4096;
    std::array<int32_t, kRoom> next;
    std::array<uint32_t, kSlots> key;
    std::array<int32_t, kSlots> first;
    int32_t shift = 20;  // a key's slot is its hash's top 32 - shift bits
    // The links a walk changed to pass blanked places, with what they held.
    std::array<std::pair<int32_t, int32_t>, kRoom> bypassed;
    int32_t bypasses = 0;
    void build(ItemView item);
    int32_t first_of(uint32_t gram) const;  // or -1
    // Along the chain from `from`, the longest leading piece of the
    // window's L bytes that stands in the text, and its first place.
    Piece longest_piece(int32_t from, const uint8_t* text, int32_t length, const uint8_t* window,
                        int32_t L);
    void restore();  // puts back the links walks changed
  };
  Arranged arrange(ItemView reference, ItemView candidate) const;
  // Fills start_len_ and blank_free_ for the pattern; returns the longest
  // common substring.
  int32_t statistics(const Arranged& a);
  // Bitset lookup for short searched items: per byte value its positions,
  // kept while the same item is searched again (a row's reference); per
  // window start P the starts where each window from P occurs (made when P
  // is first asked about); and the positions blanked so far.
  static constexpr int kBitItem = 128;  // the longest item the bitsets serve
  template <class Mask>
  struct BitLookup {
    std::array<Mask, 256> occurs{};
    std::array<uint8_t, kBitItem> item{};  // the item `occurs` holds
    int32_t item_length = 0;
    std::unique_ptr<Mask[]> windows;  // made when first needed, written before they are read
    Mask blanked = 0;
    void load(ItemView searched);
  };
  template <class Mask>
  int32_t bit_statistics(const Arranged& a, BitLookup<Mask>& lookup);
  template <class Mask>
  int32_t bit_occurrence(BitLookup<Mask>& lookup, const Arranged& a, int32_t P, int32_t L);
  int32_t occurrence(const Arranged& a, int32_t P, int32_t L);
  void blank_hit(int32_t H, int32_t L);
  void build_automaton(ItemView searched);
  void order_states();
  int32_t statistics_through_pattern(const Arranged& a);
  int32_t starts_from_ends(int32_t LA);  // returns the longest common substring
  int32_t chained_occurrence(const Arranged& a, int32_t P, int32_t L);
  void lower_longest(int32_t P, Piece piece);
  int32_t transition(int32_t state, uint8_t byte) const;
  void complete_walk();
  template <class Visit>
  void walk(ItemView text, Visit&& visit) const;
  static constexpr int32_t kHalvedWalk = 256;  // texts this long are walked in two halves
  template <class Visit>
  void walk_in_halves(ItemView text, Visit&& visit) const;
  int32_t matching_statistics(ItemView pattern);  // returns the longest common substring
  int32_t scan(const Arranged& a, int32_t start, int32_t Sleni, int32_t Slenj, int32_t threshold);
  int32_t unblanked_occurrence(int32_t P, int32_t L) const;
  int32_t short_occurrence(const Arranged& a, int32_t P, int32_t L) const;
  void group_by_length(int32_t LA, int32_t start);
  void mark_at_least(int32_t L, int32_t words);
  uint64_t least_sum_beating(int32_t threshold, uint64_t most, int32_t LA, int32_t LB,
                             int32_t Sleni, int32_t Slenj) const;

  static constexpr int kStates = 2 * kRoom;
  static constexpr int kWords = (kRoom + 63) / 64;

  const Settings& settings_;
  const RecordStats& stats_;
  int32_t minscan_;
  bool completes_walks_;
  // The arrays without an initializer are written before they are read, so
  // they are left unzeroed: zeroing every thread's scorer would cost a small
  // input more than its whole search.
  // Suffix automaton of the searched item.
  std::array<int32_t, kStates> len_, link_, first_end_;
  std::array<int16_t, 256> symbol_{};    // per byte: its number in the searched item, or -1
  std::array<uint8_t, 256> alphabet_{};  // the bytes the searched item holds
  int32_t sigma_ = 0;                    // how many
  std::vector<int16_t> next_;            // per state and symbol: the next state, or -1
  int32_t states_ = 0;
  std::array<uint8_t, kRoom> automaton_of_;  // the item the automaton was built for
  int32_t automaton_length_ = -1;
  // The automaton's prefix states, and its states by length, made when
  // first needed.
  std::array<int32_t, kRoom> prefix_state_;
  std::array<int32_t, kStates> by_state_length_;
  // The same in that order: each state's place, its link's place and
  // length, and each prefix state's place.
  std::array<int32_t, kStates> order_of_, ordered_link_, ordered_link_len_;
  std::array<int32_t, kRoom> prefix_order_;
  std::array<int32_t, kRoom + 1> length_count_;
  bool states_ordered_ = false;
  // The automaton completed for walking a row's reference: per state and
  // byte column, the state a walk goes to and the length it then has, found
  // once along the suffix links instead of at every step of every walk.
  static constexpr uint32_t kKeepLength = 0xFFFF;  // the length grows by one
  std::vector<uint32_t> walk_;                     // next state | length << 16
  std::array<uint16_t, 256> column_{};             // per byte; bytes not held share one
  bool walk_ready_ = false;
  // Per state, the longest piece of its class found in the searched item.
  std::array<int32_t, kStates> found_;
  // The q-gram chains of the automaton's item, and of a candidate walked
  // through the reference's automaton.
  GramChains automaton_chains_, searched_chains_;
  bool searched_chained_ = false;  // whether searched_chains_ hold this pair's searched item
  // Whether this pair walks the searched item through the pattern's
  // automaton, whose item is the row's reference.
  bool through_pattern_ = false;
  // Per pattern position: the longest occurring piece ending there and its
  // state, the longest occurring piece starting there, and blank-free run.
  std::array<int32_t, kRoom> end_len_, end_state_, start_len_;
  std::array<int32_t, kWords * 64> blank_free_{};  // read 64 at a time
  using Wide = unsigned __int128;
  BitLookup<uint64_t> narrow_;
  BitLookup<Wide> wide_;
  std::array<int32_t, kBitItem> window_at_{};  // per P: where its windows lie, or -1
  int32_t windows_used_ = 0;
  int32_t bit_width_ = 0;  // 64 or 128 when the bitsets serve this pair, else 0
  int32_t start_ = 0;      // the pair's start length
  // The scan's working copy of the searched item, blanked as pieces are found.
  std::array<uint8_t, kRoom> searched_;
  // Window starts grouped by the longest window they can start.
  std::array<int32_t, kRoom> by_length_, length_begin_, length_end_;
  std::array<int32_t, kRoom> longest_;  // per window start: the longest window, or 0
  // Per window start that missed: where its longest window stood, or -1;
  // and, per length, the starts lowered to it, linked.
  std::array<int32_t, kRoom> piece_at_, lowered_first_, lowered_next_;
  bool scan_is_short_ = false;
  // A pattern this short has its windows marked by length all at once.
  static constexpr int kShortPattern = 128;
  std::array<uint8_t, kShortPattern> short_longest_;
  static constexpr int kStreams = 4;
  std::array<int32_t, kRoom * kStreams> level_counts_;  // per length and stream of starts
  std::array<uint64_t, kWords> active_, alive_;
};

}  // namespace vexaro
