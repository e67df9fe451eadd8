#include "fast_scorer.h"

#include <algorithm>
#include <cstring>
#include <utility>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "prepared_records.h"

namespace vexaro {
namespace {

void set_bit(uint64_t* bits, int32_t i) { bits[i >> 6] |= uint64_t{1} << (i & 63); }

// Clears bits [from, to), a word at a time.
void clear_bits(uint64_t* bits, int32_t from, int32_t to) {
  while (from < to) {
    const int32_t end = std::min(to, ((from >> 6) + 1) << 6);
    const int32_t count = end - from;
    const uint64_t run = count == 64 ? ~uint64_t{0} : ((uint64_t{1} << count) - 1) << (from & 63);
    bits[from >> 6] &= ~run;
    from = end;
  }
}

// Per 64 values, the bits of those that are not zero.
void nonzero_bits(const int32_t* values, int32_t n, uint64_t* bits) {
  for (int32_t w = 0; w * 64 < n; ++w) {
    uint64_t word = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (int c = 0; c < 4; ++c) {
      const __m128i* at = reinterpret_cast<const __m128i*>(values + w * 64 + c * 16);
      const __m128i low = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(at), zero),
                                          _mm_cmpeq_epi32(_mm_loadu_si128(at + 1), zero));
      const __m128i high = _mm_packs_epi32(_mm_cmpeq_epi32(_mm_loadu_si128(at + 2), zero),
                                           _mm_cmpeq_epi32(_mm_loadu_si128(at + 3), zero));
      const uint32_t zeros = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
      word |= static_cast<uint64_t>(~zeros & 0xFFFF) << (c * 16);
    }
#else
    for (int i = 0; i < 64; ++i) word |= static_cast<uint64_t>(values[w * 64 + i] != 0) << i;
#endif
    const int32_t valid = std::min(n - w * 64, 64);
    bits[w] = valid == 64 ? word : word & ((uint64_t{1} << valid) - 1);
  }
}

// The first index at or after `from` whose bit is set in both sets, or -1.
int32_t next_common_bit(const uint64_t* a, const uint64_t* b, int32_t from, int32_t words) {
  int32_t w = from >> 6;
  if (w >= words) return -1;
  uint64_t bits = a[w] & b[w] & (~uint64_t{0} << (from & 63));
  while (bits == 0) {
    if (++w >= words) return -1;
    bits = a[w] & b[w];
  }
  return (w << 6) + __builtin_ctzll(bits);
}

// The first index in [from, to) whose bit is clear, or -1.
int32_t first_clear_bit(const uint64_t* bits, int32_t from, int32_t to) {
  for (int32_t i = from; i < to;) {
    const uint64_t clear = ~bits[i >> 6] >> (i & 63);
    if (clear != 0) {
      const int32_t found = i + __builtin_ctzll(clear);
      return found < to ? found : -1;
    }
    i = ((i >> 6) + 1) << 6;
  }
  return -1;
}

// How many leading bytes of a and b agree, up to n, 8 at a time: windows
// are short, and most that share a q-gram differ within a few bytes more.
int32_t common_prefix(const uint8_t* a, const uint8_t* b, int32_t n) {
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return i + __builtin_ctzll(x ^ y) / 8;
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// Whether the first L bytes hold a blank.
bool holds_blank(const uint8_t* bytes, int32_t L) {
  int32_t i = 0;
  for (; i + 8 <= L; i += 8) {
    uint64_t x;
    std::memcpy(&x, bytes + i, 8);
    // A byte of x equal to kBlank (1) makes x ^ 0x0101... have a zero byte.
    const uint64_t y = x ^ 0x0101010101010101u;
    if (((y - 0x0101010101010101u) & ~y & 0x8080808080808080u) != 0) return true;
  }
  for (; i < L; ++i) {
    if (bytes[i] == kBlank) return true;
  }
  return false;
}

}  // namespace

// The sum of the differences of the first n bytes of a and b, 16 at a time.
int64_t byte_differences(const uint8_t* a, const uint8_t* b, int32_t n) {
  int64_t sum = 0;
  int32_t i = 0;
#ifdef __SSE2__
  __m128i sums = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    sums = _mm_add_epi64(sums, _mm_sad_epu8(x, y));
  }
  sum = _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
#endif
  for (; i < n; ++i) sum += std::abs(a[i] - b[i]);
  return sum;
}

ItemView blank_if_empty(ItemView item) {
  static constexpr uint8_t kBlankItem[2] = {kBlank, 0};
  return item.length == 0 ? ItemView{kBlankItem, 1} : item;
}

uint64_t match_sum_bound(const Settings& s, uint64_t covered, uint64_t longest, uint32_t LB) {
  if (covered == 0 || longest == 0) return 0;
  // A position increment never exceeds 2 L, the plain increment.
  if (s.adapt == 0) return 2 * covered;
  // Each hit of length L adds at most L * L / K, and L <= longest.
  const uint64_t K = LB / s.adapt + 1;
  if (!s.posab) return covered * longest / K;
  return covered + covered * longest / (2 * K);
}

int32_t start_length_from_lcs(int32_t n, int32_t MINSCAN, int32_t lcs) {
  const int64_t m = std::max<int32_t>(MINSCAN, 1);
  if (n < 3 * m) return n;
  int64_t b = m;
  while (b < n && lcs >= b) b *= 2;
  return static_cast<int32_t>(std::min<int64_t>(b - 1, n));
}

PairScorer::PairScorer(const Settings& settings, const RecordStats& stats, Use use)
    : settings_(settings),
      stats_(stats),
      minscan_(std::max<int32_t>(settings.MINSCAN, 1)),
      completes_walks_(use == Use::rows) {
  symbol_.fill(-1);
}

int32_t PairScorer::statistics(const Arranged& a) {
  const int32_t LA = a.pattern.length, LB = a.searched.length;
  blank_free_[LA] = 0;
  for (int32_t P = LA - 1, run = 0; P >= 0; --P) {
    run = a.pattern.bytes[P] == kBlank ? 0 : run + 1;
    blank_free_[P] = run;
  }
  through_pattern_ = false;
  if (LB <= kBitItem) {
    bit_width_ = LB <= 64 ? 64 : 128;
    return bit_width_ == 64 ? bit_statistics(a, narrow_) : bit_statistics(a, wide_);
  }
  bit_width_ = 0;
  // A row's reference meets many candidates: keep its automaton, and walk a
  // longer candidate through it rather than build the candidate's. Windows
  // are then found through the candidate's q-gram chains, which only serve
  // windows as long as a q-gram.
  through_pattern_ = a.reference_is_pattern && minscan_ >= kChainGram;
  const ItemView indexed = through_pattern_ ? a.pattern : a.searched;
  if (indexed.length != automaton_length_ ||
      std::memcmp(indexed.bytes, automaton_of_.data(), automaton_length_) != 0) {
    build_automaton(indexed);
    automaton_chains_.build(indexed);
    std::memcpy(automaton_of_.data(), indexed.bytes, indexed.length);
    automaton_length_ = indexed.length;
  }
  // Only the reference's automaton serves enough walks to repay completing it.
  if (completes_walks_ && !walk_ready_ && (through_pattern_ || !a.reference_is_pattern))
    complete_walk();
  if (!through_pattern_) return matching_statistics(a.pattern);
  searched_chained_ = false;
  return statistics_through_pattern(a);
}

// The longest piece starting at each pattern byte, from the start positions
// of the current piece in the searched item, walking the pattern backwards.
// A piece that cannot be extended at its front is found anew from its new
// front byte forwards; it ends before the old piece did.
template <class Mask>
int32_t PairScorer::bit_statistics(const Arranged& a, BitLookup<Mask>& lookup) {
  const int32_t LA = a.pattern.length;
  const uint8_t* pattern = a.pattern.bytes;
  lookup.load(a.searched);
  // Scorers of long items never need these, and a single pair allocates less.
  if (!lookup.windows) lookup.windows.reset(new Mask[kBitItem * (kBitItem + 1) / 2]);
  lookup.blanked = 0;
  Mask starts = 0;  // where pattern[i+1..back] starts in the searched item
  int32_t lcs = 0;
  for (int32_t i = LA - 1, back = LA - 1; i >= 0; --i) {
    // Where pattern[i..back] starts, from where pattern[i+1..back] does.
    Mask next = back == i ? lookup.occurs[pattern[i]] : (starts >> 1) & lookup.occurs[pattern[i]];
    if (next == 0) {
      // Where pattern[i..k] ends, for k as far as it occurs.
      Mask ends = lookup.occurs[pattern[i]];
      int32_t k = i;
      for (; ends != 0 && k + 1 < back; ++k) {
        const Mask longer = (ends << 1) & lookup.occurs[pattern[k + 1]];
        if (longer == 0) break;
        ends = longer;
      }
      back = ends == 0 ? i - 1 : k;
      next = ends >> (k - i);
    }
    starts = next;
    start_len_[i] = back - i + 1;
    lcs = std::max(lcs, start_len_[i]);
    window_at_[i] = -1;
  }
  windows_used_ = 0;
  return lcs;
}

template <class Mask>
int32_t PairScorer::bit_occurrence(BitLookup<Mask>& lookup, const Arranged& a, int32_t P,
                                   int32_t L) {
  if (window_at_[P] < 0) {
    const int32_t longest = std::min({start_len_[P], blank_free_[P], start_});
    window_at_[P] = windows_used_ - minscan_;
    Mask starts = lookup.occurs[a.pattern.bytes[P]];
    for (int32_t k = 1; k <= longest; ++k) {
      if (k > 1) starts &= lookup.occurs[a.pattern.bytes[P + k - 1]] >> (k - 1);
      if (k >= minscan_) lookup.windows[windows_used_++] = starts;
    }
  }
  // Starts whose L bytes hold a blanked byte: spread each blanked bit down.
  Mask spread = lookup.blanked;
  for (int32_t span = 1; span < L && spread != 0;) {
    const int32_t step = std::min(span, L - span);
    spread |= spread >> step;
    span += step;
  }
  const Mask starts = lookup.windows[window_at_[P] + L] & ~spread;
  if (starts == 0) return -1;
  const uint64_t low = static_cast<uint64_t>(starts);
  if (low != 0) return __builtin_ctzll(low);
  return 64 + __builtin_ctzll(static_cast<uint64_t>(static_cast<Wide>(starts) >> 64));
}

template <class Mask>
void PairScorer::BitLookup<Mask>::load(ItemView searched) {
  if (searched.length == item_length && std::memcmp(searched.bytes, item.data(), item_length) == 0)
    return;
  for (int32_t h = 0; h < item_length; ++h) occurs[item[h]] = 0;
  // A word at a time: a variable shift of a 128-bit mask costs several.
  const int32_t low = std::min(searched.length, 64);
  for (int32_t h = 0; h < low; ++h) occurs[searched.bytes[h]] |= Mask{uint64_t{1} << h};
  if constexpr (sizeof(Mask) > sizeof(uint64_t)) {
    for (int32_t h = 64; h < searched.length; ++h)
      occurs[searched.bytes[h]] |= Mask{uint64_t{1} << (h - 64)} << 64;
  }
  std::memcpy(item.data(), searched.bytes, searched.length);
  item_length = searched.length;
}

int32_t PairScorer::occurrence(const Arranged& a, int32_t P, int32_t L) {
  if (bit_width_ == 64) return bit_occurrence(narrow_, a, P, L);
  if (bit_width_ == 128) return bit_occurrence(wide_, a, P, L);
  if (L < kChainGram) return short_occurrence(a, P, L);
  return chained_occurrence(a, P, L);
}

// A window as long as a q-gram. Its first occurrence in the unblanked item
// is the leftmost if blanking has not touched it; so is the place a miss
// at this start remembered. Otherwise the places that begin with the same
// q-gram are searched, which also tells the longest piece from P that
// still occurs: P is not tried again before the scan reaches that length.
int32_t PairScorer::chained_occurrence(const Arranged& a, int32_t P, int32_t L) {
  if (L == longest_[P] && piece_at_[P] >= 0) {
    if (!holds_blank(searched_.data() + piece_at_[P], L)) return piece_at_[P];
  } else if (!through_pattern_) {
    const int32_t H = unblanked_occurrence(P, L);
    if (!holds_blank(searched_.data() + H, L)) return H;
  }
  if (through_pattern_ && !searched_chained_) {
    // Chained when first needed: single mode and scans that stop early never ask.
    searched_chains_.build(a.searched);
    searched_chained_ = true;
  }
  GramChains& chains = through_pattern_ ? searched_chains_ : automaton_chains_;
  const uint8_t* window = a.pattern.bytes + P;
  const Piece piece = chains.longest_piece(chains.first_of(gram_key(window, kChainGram)),
                                           searched_.data(), a.searched.length, window, L);
  if (piece.length == L) return piece.at;
  lower_longest(P, piece);
  return -1;
}

// After a miss at P: its longest window becomes the longest piece that
// still occurs, or, if none as long as a q-gram, the longest unchained one.
void PairScorer::lower_longest(int32_t P, Piece piece) {
  const bool chained = piece.length >= kChainGram;
  const int32_t length = chained ? piece.length : kChainGram - 1;
  piece_at_[P] = chained ? piece.at : -1;
  longest_[P] = length >= minscan_ ? length : 0;
  if (scan_is_short_) {
    short_longest_[P] = static_cast<uint8_t>(longest_[P]);
    return;
  }
  active_[P >> 6] &= ~(uint64_t{1} << (P & 63));
  if (longest_[P] > 0) {
    lowered_next_[P] = lowered_first_[length];
    lowered_first_[length] = P;
  }
}

void PairScorer::blank_hit(int32_t H, int32_t L) {
  if (bit_width_ == 64) {
    narrow_.blanked |= (L == 64 ? ~uint64_t{0} : (uint64_t{1} << L) - 1) << H;
  } else if (bit_width_ == 128) {
    wide_.blanked |= (L == 128 ? ~Wide{0} : (Wide{1} << L) - 1) << H;
  } else {
    std::memset(searched_.data() + H, kBlank, L);
  }
}

PairScorer::Arranged PairScorer::arrange(ItemView reference, ItemView candidate) const {
  Arranged a{reference, candidate, false};
  if (candidate.length > reference.length) {
    std::swap(a.searched, a.pattern);
    a.reference_is_pattern = true;
  }
  a.searched = blank_if_empty(a.searched);
  a.pattern = blank_if_empty(a.pattern);
  return a;
}

int32_t PairScorer::transition(int32_t state, uint8_t byte) const {
  const int32_t symbol = symbol_[byte];
  return symbol < 0 ? -1 : next_[static_cast<size_t>(state) * sigma_ + symbol];
}

// The automaton's transitions are a dense table over the bytes the searched
// item holds, numbered in order of first appearance.
void PairScorer::build_automaton(ItemView searched) {
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
}

// Walks the text through the automaton, calling visit(i, state, length)
// with the state and length of the longest piece ending at each byte i. A
// byte may be visited more than once: the last visit holds the longest
// piece, an earlier one a shorter piece of the same end.
template <class Visit>
void PairScorer::walk(ItemView text, Visit&& visit) const {
  int32_t state = 0, length = 0;
  if (walk_ready_) {
    walk_in_halves(text, visit);
    return;
  }
  for (int32_t i = 0; i < text.length; ++i) {
    const uint8_t c = text.bytes[i];
    int32_t next = transition(state, c);
    while (next == -1 && state != 0) {
      state = link_[state];
      length = len_[state];
      next = transition(state, c);
    }
    if (next == -1) {
      length = 0;
    } else {
      state = next;
      ++length;
    }
    visit(i, state, length);
  }
}

// Each step of a completed walk waits on the load of the step before, so
// a long text is walked from its start and from its middle at once. The
// walk from the middle sees only the pieces that start there or later; the
// walk from the start then goes on past the middle until its piece starts
// there too, from where both walks agree.
template <class Visit>
void PairScorer::walk_in_halves(ItemView text, Visit&& visit) const {
  const size_t columns = static_cast<size_t>(sigma_) + 1;
  auto step = [&](int32_t& state, int32_t& length, uint8_t byte) {
    const uint32_t next = walk_[state * columns + column_[byte]];
    state = static_cast<int32_t>(next & 0xFFFF);
    const uint32_t reset = next >> 16;
    length = reset == kKeepLength ? length + 1 : static_cast<int32_t>(reset);
  };
  const int32_t n = text.length;
  int32_t state = 0, length = 0;
  if (n < kHalvedWalk) {
    for (int32_t i = 0; i < n; ++i) {
      step(state, length, text.bytes[i]);
      visit(i, state, length);
    }
    return;
  }
  const int32_t middle = n / 2;
  int32_t later_state = 0, later_length = 0;
  for (int32_t i = 0; i < n - middle; ++i) {
    if (i < middle) {
      step(state, length, text.bytes[i]);
      visit(i, state, length);
    }
    step(later_state, later_length, text.bytes[middle + i]);
    visit(middle + i, later_state, later_length);
  }
  for (int32_t i = middle; i < n && length > i - middle; ++i) {
    step(state, length, text.bytes[i]);
    visit(i, state, length);
  }
}

// Per state and byte, where the walk goes: along the transition if there
// is one, else where the suffix link's state goes, with the length that
// state's pieces then have.
void PairScorer::complete_walk() {
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

int32_t PairScorer::matching_statistics(ItemView pattern) {
  walk(pattern, [&](int32_t i, int32_t state, int32_t length) {
    end_len_[i] = length;
    end_state_[i] = state;
  });
  return starts_from_ends(pattern.length);
}

// The longest piece from P ends at the last i whose longest occurring piece
// ending at i starts at or before P. Those starts never decrease, so each i
// is marked at its start (a later i overwrites an earlier one), and the
// last i up to P is a running maximum; i = P - 1 starts at P at the latest.
int32_t PairScorer::starts_from_ends(int32_t LA) {
  int32_t* last_end = start_len_.data();
  std::fill_n(last_end, LA + 1, -1);
  for (int32_t i = 0; i < LA; ++i) last_end[i - end_len_[i] + 1] = i;
  int32_t lcs = 0;
  for (int32_t P = 0, end = -1; P < LA; ++P) {
    end = std::max(end, last_end[P]);
    start_len_[P] = end - P + 1;
    lcs = std::max(lcs, start_len_[P]);
  }
  return lcs;
}

int32_t PairScorer::unblanked_occurrence(int32_t P, int32_t L) const {
  int32_t state = end_state_[P + L - 1];
  while (len_[link_[state]] >= L) state = link_[state];
  return first_end_[state] - L + 1;
}

int32_t PairScorer::short_occurrence(const Arranged& a, int32_t P, int32_t L) const {
  const int32_t H = unblanked_occurrence(P, L);
  if (!holds_blank(searched_.data() + H, L)) return H;
  // Blanking took the first occurrence; any later one lies after it.
  const int32_t LB = a.searched.length;
  const void* later = memmem(searched_.data() + H + 1, LB - H - 1, a.pattern.bytes + P, L);
  return later == nullptr
             ? -1
             : static_cast<int32_t>(static_cast<const uint8_t*>(later) - searched_.data());
}

// The table is sized to the item, at most half full, so that a short item
// clears little of it.
void PairScorer::GramChains::build(ItemView item) {
  shift = 32 - 6;
  while ((1 << (32 - shift)) < 2 * item.length && (1 << (32 - shift)) < kSlots) --shift;
  const uint32_t mask = (1u << (32 - shift)) - 1;
  bypasses = 0;
  std::fill_n(key.begin(), mask + 1, UINT32_MAX);
  for (int32_t h = item.length - kChainGram; h >= 0; --h) {
    const uint32_t gram = gram_key(item.bytes + h, kChainGram);
    uint32_t slot = (gram * 0x9E3779B1u) >> shift;
    while (key[slot] != UINT32_MAX && key[slot] != gram) slot = (slot + 1) & mask;
    next[h] = key[slot] == gram ? first[slot] : -1;
    key[slot] = gram;
    first[slot] = h;
  }
}

// A place whose first byte is blanked cannot start a piece again in this
// pair, so it is taken out of its chain as the walk meets it; blanked
// places would otherwise make most of the walk once long hits are found.
PairScorer::Piece PairScorer::GramChains::longest_piece(int32_t from, const uint8_t* text,
                                                        int32_t length, const uint8_t* window,
                                                        int32_t L) {
  Piece best;
  for (int32_t h = from, before = -1; h >= 0 && best.length < L;) {
    const int32_t after = next[h];
    if (text[h] == kBlank && before >= 0) {
      bypassed[bypasses++] = {before, next[before]};
      next[before] = after;
    } else {
      const int32_t agree = common_prefix(text + h, window, std::min(L, length - h));
      if (agree > best.length) best = {agree, h};
      before = h;
    }
    h = after;
  }
  return best;
}

void PairScorer::GramChains::restore() {
  while (bypasses > 0) {
    const auto [place, link] = bypassed[--bypasses];
    next[place] = link;
  }
}

int32_t PairScorer::GramChains::first_of(uint32_t gram) const {
  const uint32_t mask = (1u << (32 - shift)) - 1;
  for (uint32_t slot = (gram * 0x9E3779B1u) >> shift;; slot = (slot + 1) & mask) {
    if (key[slot] == gram) return first[slot];
    if (key[slot] == UINT32_MAX) return -1;
  }
}

// Orders the automaton's states by length, so that each comes after its
// suffix link.
void PairScorer::order_states() {
  const int32_t longest = automaton_length_;
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
  for (int32_t i = 0; i < automaton_length_; ++i) prefix_order_[i] = order_of_[prefix_state_[i]];
  states_ordered_ = true;
}

// The pattern's matching statistics from the searched item walked through
// the pattern's automaton: the walk finds, per state, the longest piece of
// its class that occurs in the searched item; an occurring piece makes every
// suffix of it occur; and the longest occurring piece ending at a pattern
// byte is the longest found along the suffix links of its prefix state.
int32_t PairScorer::statistics_through_pattern(const Arranged& a) {
  if (!states_ordered_) order_states();
  // found_ is kept in the order of the states by length.
  std::fill_n(found_.begin(), states_, 0);
  walk(a.searched, [&](int32_t, int32_t state, int32_t length) {
    int32_t& found = found_[order_of_[state]];
    found = std::max(found, length);
  });
  for (int32_t k = states_ - 1; k > 0; --k) {
    int32_t& link_found = found_[ordered_link_[k]];
    link_found = found_[k] > 0 ? ordered_link_len_[k] : link_found;
  }
  for (int32_t k = 1; k < states_; ++k) {
    if (found_[k] == 0) found_[k] = found_[ordered_link_[k]];
  }
  for (int32_t i = 0; i < a.pattern.length; ++i) end_len_[i] = found_[prefix_order_[i]];
  return starts_from_ends(a.pattern.length);
}

// Groups the window starts by their longest window, for each length from
// `start` down; neighbouring starts often share a length, so they are
// counted in separate streams, lest each count wait for the one before.
void PairScorer::group_by_length(int32_t LA, int32_t start) {
  std::fill_n(level_counts_.begin(), (start + 1) * kStreams, 0);
  for (int32_t P = 0; P < LA; ++P) ++level_counts_[longest_[P] * kStreams + P % kStreams];
  // Each count becomes where its stream's starts of that length go.
  for (int32_t L = start, sum = 0; L >= 0; --L) {
    length_begin_[L] = sum;
    for (int k = 0; k < kStreams; ++k) {
      const int32_t count = level_counts_[L * kStreams + k];
      level_counts_[L * kStreams + k] = sum;
      sum += count;
    }
    length_end_[L] = sum;
  }
  for (int32_t P = 0; P < LA; ++P)
    by_length_[level_counts_[longest_[P] * kStreams + P % kStreams]++] = P;
}

// Marks active the window starts of a short pattern whose longest window
// has at least L bytes.
void PairScorer::mark_at_least(int32_t L, int32_t words) {
#ifdef __SSE2__
  const __m128i level = _mm_set1_epi8(static_cast<char>(L));
  for (int32_t w = 0; w < words; ++w) {
    uint64_t bits = 0;
    for (int c = 0; c < 4; ++c) {
      const __m128i lengths =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(&short_longest_[w * 64 + c * 16]));
      const __m128i reach = _mm_cmpeq_epi8(_mm_max_epu8(lengths, level), lengths);
      bits |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(reach))) << (c * 16);
    }
    active_[w] = bits;
  }
#else
  for (int32_t w = 0; w < words; ++w) {
    uint64_t bits = 0;
    for (int i = 0; i < 64; ++i)
      bits |= static_cast<uint64_t>(short_longest_[w * 64 + i] >= L) << i;
    active_[w] = bits;
  }
#endif
}

int32_t PairScorer::scan(const Arranged& a, int32_t start, int32_t Sleni, int32_t Slenj,
                         int32_t threshold) {
  const int32_t LA = a.pattern.length, LB = a.searched.length;
  const int32_t words = (LA + 63) / 64;
  // Per window start the longest window that can hit there, or 0 where
  // none can; the bytes hits could cover; and the pattern's unblanked
  // bytes, which are alive.
  for (int32_t P = 0; P < LA; ++P) {
    const int32_t longest = std::min({start_len_[P], blank_free_[P], start});
    // Masked, not branched on: which starts can hit is unpredictable.
    longest_[P] = longest & -static_cast<int32_t>(longest >= minscan_);
  }
  nonzero_bits(blank_free_.data(), LA, alive_.data());
  // Windows are taken in order of their starts; each adds what it reaches
  // beyond the windows before.
  int32_t covered = 0;
  for (int32_t P = 0, reach = 0; P < LA; ++P) {
    const int32_t from = std::max(reach, P);
    reach = std::max(from, P + longest_[P]);
    covered += reach - from;
  }

  // The least match sum bound that could still beat the threshold.
  const uint64_t most = match_sum_bound(settings_, covered, start, LB);
  if (const int32_t bound = final_score(settings_, stats_, most, LA, LB, Sleni, Slenj);
      bound <= threshold)
    return bound;
  const uint64_t beating = least_sum_beating(threshold, most, LA, LB, Sleni, Slenj);
  if (bit_width_ == 0) {
    std::memcpy(searched_.data(), a.searched.bytes, LB + 1);
    automaton_chains_.restore();             // the last pair's blanking took places out
    std::fill_n(piece_at_.begin(), LA, -1);  // only chained lookups remember places
  }

  // The windows of each length become active in turn: a short pattern's
  // are found by comparing all their lengths at once, a long one's are
  // grouped by length first.
  const bool short_pattern = LA <= kShortPattern;
  scan_is_short_ = short_pattern;
  if (short_pattern) {
    std::fill(short_longest_.begin(), short_longest_.begin() + words * 64, 0);
    for (int32_t P = 0; P < LA; ++P) short_longest_[P] = static_cast<uint8_t>(longest_[P]);
  } else {
    group_by_length(LA, start);
    std::fill(active_.begin(), active_.begin() + words, 0);
    std::fill_n(lowered_first_.begin(), start + 1, -1);
  }

  uint64_t match_sum = 0;
  for (int32_t L = start; L >= minscan_; --L) {
    if (short_pattern) {
      mark_at_least(L, words);
    } else {
      for (int32_t k = length_begin_[L]; k < length_end_[L]; ++k) {
        set_bit(active_.data(), by_length_[k]);
      }
      for (int32_t P = lowered_first_[L]; P >= 0; P = lowered_next_[P]) set_bit(active_.data(), P);
    }
    if (const uint64_t bound = match_sum + match_sum_bound(settings_, covered, L, LB);
        bound < beating)
      return final_score(settings_, stats_, bound, LA, LB, Sleni, Slenj);
    for (int32_t P = 0;;) {
      P = next_common_bit(active_.data(), alive_.data(), P, words);
      if (P < 0 || P > LA - L) break;
      if (const int32_t blank = first_clear_bit(alive_.data(), P, P + L); blank >= 0) {
        P = blank + 1;
        continue;
      }
      const int32_t H = occurrence(a, P, L);
      if (H < 0) {
        ++P;
        continue;
      }
      match_sum += hit_increment(settings_, L, P, H, LA, LB);
      blank_hit(H, L);
      clear_bits(alive_.data(), P, P + L);
      covered -= L;
      P += L;
    }
  }
  return final_score(settings_, stats_, match_sum, LA, LB, Sleni, Slenj);
}

// The least match sum, at most `most` (which beats it), whose final score
// beats the threshold: from the score's formula, then made exact against it.
uint64_t PairScorer::least_sum_beating(int32_t threshold, uint64_t most, int32_t LA, int32_t LB,
                                       int32_t Sleni, int32_t Slenj) const {
  if (threshold < 0) return 0;
  // final_score multiplies the sum by 1000, or under -f by 1000 (Sleni + Slenj) / Smeanlen2.
  const bool correlated = settings_.linlencor && stats_.Smeanlen2 > 0;
  const uint64_t scale =
      correlated ? uint64_t{1000} * (static_cast<uint64_t>(Sleni) + Slenj) : 1000;
  const uint64_t divisor = correlated ? static_cast<uint64_t>(stats_.Smeanlen2) : 1;
  const uint64_t target = (static_cast<uint64_t>(threshold) + 1) * (LA + LB) * divisor;
  uint64_t sum = std::min(most, (target + scale - 1) / scale);
  auto beats = [&](uint64_t m) {
    return final_score(settings_, stats_, m, LA, LB, Sleni, Slenj) > threshold;
  };
  while (sum > 0 && beats(sum - 1)) --sum;
  while (!beats(sum)) ++sum;
  return sum;
}

int32_t PairScorer::score(ItemView reference, ItemView candidate, int32_t Sleni, int32_t Slenj,
                          int32_t threshold) {
  const Arranged a = arrange(reference, candidate);
  const int32_t LA = a.pattern.length, LB = a.searched.length;
  if (settings_.bytdif) {
    return byte_difference_score(byte_differences(a.searched.bytes, a.pattern.bytes, LA), LB, LA,
                                 stats_.Minbyt, stats_.Maxbyt);
  }
  const int32_t lcs = statistics(a);
  start_ = start_length_from_lcs(LA, minscan_, lcs);
  return scan(a, start_, Sleni, Slenj, threshold);
}

SingleHit PairScorer::single_hit(ItemView reference, ItemView candidate) {
  const Arranged a = arrange(reference, candidate);
  const int32_t lcs = statistics(a);
  const int32_t start = start_length_from_lcs(a.pattern.length, minscan_, lcs);
  SingleHit hit;
  for (int32_t P = 0; P < a.pattern.length; ++P) {
    const int32_t longest = std::min({start_len_[P], blank_free_[P], start});
    if (longest > hit.length) hit = {longest, a.pattern.bytes + P};
  }
  if (hit.length < minscan_) return {};
  return hit;
}

}  // namespace vexaro
