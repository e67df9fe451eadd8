// SPDX-License-Identifier: MIT
#include "engine/choice_query.h"

#include <algorithm>
#include <cstring>

#include "common/bits.h"
#include "engine/coverage.h"
#include "engine/grams.h"
#include "engine/row_candidate.h"
#include "scoring/score_formula.h"

namespace vexaro {
namespace {

// A choice as the candidate bounds read it, with the query's count.
using ChoiceCandidate = PreparedCandidate<GramQuery>;

// Where a search puts what it finds: the best few, or all above a score.
struct TopSink {
  TopChoices& top;
  static constexpr bool kSeeded = true;
  bool full() const { return top.full(); }
  // Only a list of several gains from scoring the likeliest choices of all
  // blocks first: the best alone is found near the query's length.
  bool defers() const { return top.limit() > 1; }
  int32_t cutoff(int32_t choice) const { return top.cutoff(static_cast<size_t>(choice)); }
  int32_t least_cutoff() const { return top.least_cutoff(); }
  void take(int32_t score, int32_t choice) { top.offer(score, static_cast<size_t>(choice)); }
};

struct AboveSink {
  int32_t min_score;
  std::vector<ChoiceScore>& found;
  static constexpr bool kSeeded = false;
  bool full() const { return true; }
  bool defers() const { return false; }
  int32_t cutoff(int32_t) const { return min_score; }
  int32_t least_cutoff() const { return min_score; }
  void take(int32_t score, int32_t choice) {
    found.push_back({static_cast<size_t>(choice), score});
  }
};

}  // namespace

ChoiceQuery::ChoiceQuery(const IndexedChoices& choices)
    : choices_(choices),
      measure_(choices.measure()),
      bounds_(choices.measure(), choices.stats()),
      pair_(choices.items(), choices.measure(), choices.stats()) {
  if (const GramIndex* grams = choices.grams()) count_.emplace(*grams);
}

// The query as a row's reference: cut to its stored length, its control
// bytes turned into spaces, prepared from its working start.
void ChoiceQuery::load(std::string_view query) {
  const ItemRules& items = choices_.items();
  const size_t stored = std::min<size_t>(query.size(), kMaxRecordLength);
  std::memcpy(raw_.data(), query.data(), stored);
  raw_[stored] = 0;
  rewrite_control_bytes(raw_.data(), raw_.data());
  const int32_t length = prepare_item(items, working_start(items, raw_.data()), reference_.data());
  reference_stored_ = static_cast<int32_t>(stored);
  bounds_.load_reference({reference_.data(), length}, reference_stored_);
  need_shortest_ = -1;
  if (count_) count_->prepare(bounds_.reference());
}

void ChoiceQuery::rank(TopChoices& top) {
  if (top.limit() == 0) return;
  TopSink sink{top};
  search(sink);
}

void ChoiceQuery::gather_above(int32_t min_score, std::vector<ChoiceScore>& found) {
  AboveSink sink{min_score, found};
  search(sink);
}

std::string ChoiceQuery::substring(int32_t choice) {
  const LongestHit hit =
      pair_.longest_hit(bounds_.reference(), choices_.records().candidate(choice));
  if (hit.length == 0) return {};
  return {reinterpret_cast<const char*>(hit.bytes), static_cast<size_t>(hit.length)};
}

template <class Sink>
void ChoiceQuery::search(Sink& sink) {
  if (!count_) {
    for (int32_t choice = 0; choice < choices_.size(); ++choice) {
      if (!choices_.later_twin(choice)) offer(sink, choice);
    }
    return;
  }
  // Blocks of choices as long as the query first, whose scores can be the
  // highest, then outwards, longer and shorter in turn.
  const int32_t blocks = count_->blocks();
  const int32_t first = block_of_length(bounds_.reference().length);
  deferred_.clear();
  for (int32_t step = 0; step < 2 * blocks; ++step) {
    const int32_t block = step % 2 == 0 ? first + step / 2 : first - (step + 1) / 2;
    if (block >= 0 && block < blocks) search_block(sink, block, sink.defers());
  }
  offer_deferred(sink);
}

// The choices deferred, the highest estimates first, each if its count can
// still pass the cutoff.
template <class Sink>
void ChoiceQuery::offer_deferred(Sink& sink) {
  // The cutoff only rises from here: what cannot pass it now never will,
  // and most of the deferred are left out before the sort.
  const int32_t cutoff = sink.least_cutoff();
  std::erase_if(deferred_, [&](const Seed& each) {
    return count_->covered_at(each.rank) < least_count(each.rank / kWordBits, cutoff);
  });
  std::sort(deferred_.begin(), deferred_.end(), higher_count);
  const GramIndex& grams = count_->index();
  for (const Seed& each : deferred_) {
    const int32_t need = least_count(each.rank / kWordBits, sink.least_cutoff());
    if (count_->covered_at(each.rank) >= need) offer(sink, grams.place_of_rank(each.rank));
  }
}

// The block of the first choice at least `length` bytes long, or the last.
int32_t ChoiceQuery::block_of_length(int32_t length) const {
  const GramIndex& grams = count_->index();
  int32_t low = 0, high = grams.words();  // the first word whose shortest is `length` or more
  while (low < high) {
    const int32_t middle = (low + high) / 2;
    if (grams.shortest(middle) < length) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return std::min(std::max(low - 1, 0) / GramQuery::kBlockWords, count_->blocks() - 1);
}

// Counts the block if a choice of it could pass the sink's least cutoff,
// seeds the sink from it while the sink has room, then offers the choices
// whose count can pass the cutoff, the highest counts first.
template <class Sink>
void ChoiceQuery::search_block(Sink& sink, int32_t block, bool defer) {
  constexpr int32_t kNone = BitSlicedCounter::kMostCount + 1;  // a need no count meets
  const int32_t first_word = count_->first_word(block), end_word = count_->end_word(block);
  // Per word, the least count that can pass the cutoff, or kNone.
  auto work_out_needs = [&](int32_t cutoff) {
    bool any = false;
    for (int32_t word = first_word; word < end_word; ++word) {
      int32_t& need = block_need_[word - first_word];
      need = least_count(word, cutoff);
      if (need > most_count(word)) need = kNone;
      any |= need != kNone;
    }
    return any;
  };
  int32_t cutoff = sink.least_cutoff();
  if (!work_out_needs(cutoff)) return;
  count_->count_block(block, block_need_.data());
  int32_t floor = kNone;
  if (Sink::kSeeded && !sink.full()) floor = seed(sink, first_word, end_word);
  if (sink.least_cutoff() != cutoff) {
    cutoff = sink.least_cutoff();
    work_out_needs(cutoff);
  }
  seeds_.clear();
  for (int32_t word = first_word; word < end_word; ++word) {
    const int32_t need = block_need_[word - first_word];
    if (need == kNone) continue;
    uint64_t bits = count_->reaching(word, need);
    if (floor != kNone) bits &= ~count_->reaching(word, floor);
    for_each_bit(bits, [&](int place) {
      const int32_t rank = word * kWordBits + place;
      seeds_.push_back({count_->covered_at(rank), rank});
    });
  }
  // The highest counts first: they tend to score highest, so that the
  // cutoff rises early and passes over more of the rest. Deferring, only
  // the highest is offered now, to raise the cutoff the next blocks are
  // counted with; the rest wait for the estimates of every block.
  if (defer && !seeds_.empty()) {
    std::iter_swap(seeds_.begin(), std::min_element(seeds_.begin(), seeds_.end(), higher_count));
  } else if (Sink::kSeeded) {
    std::sort(seeds_.begin(), seeds_.end(), higher_count);
  }
  // Once the cutoff has risen, each seed's need is worked out alone: a
  // block holds few seeds beside its many words.
  const GramIndex& grams = count_->index();
  for (size_t i = 0; i < seeds_.size(); ++i) {
    const Seed& seed = seeds_[i];
    const int32_t word = seed.rank / kWordBits;
    const int32_t need = sink.least_cutoff() == cutoff ? block_need_[word - first_word]
                                                       : least_count(word, sink.least_cutoff());
    if (seed.count < need) continue;
    if (defer && i > 0) {
      deferred_.push_back({estimate(seed), seed.rank});
    } else {
      offer(sink, grams.place_of_rank(seed.rank));
    }
  }
}

// A choice's count over the bytes of the query and of its word's shortest
// choice: about the plain score it would have if its count were all
// matched, enough to order choices by, without reading the choice itself.
int32_t ChoiceQuery::estimate(const Seed& seed) const {
  const int32_t shortest = count_->index().shortest(seed.rank / kWordBits);
  const int32_t lengths = bounds_.reference().length + shortest + 1;
  return seed.count * 65536 / lengths;
}

// The most a choice of the word can match: no more than the query bytes
// that some choice covers, nor than the longest choice of the word.
int32_t ChoiceQuery::most_count(int32_t word) const {
  const GramIndex& grams = count_->index();
  const int32_t longest = word + 1 < grams.words() ? grams.shortest(word + 1) : kMaxPrepared;
  return std::min(count_->countable(), longest);
}

// Offers the choices of the block's highest counts first, a count at a
// time, until the sink is full or the count has fallen to half the
// highest; returns the count down to which every choice has been offered.
template <class Sink>
int32_t ChoiceQuery::seed(Sink& sink, int32_t first_word, int32_t end_word) {
  const GramIndex& grams = count_->index();
  int32_t highest = 0;
  for (int32_t word = first_word; word < end_word; ++word)
    highest = std::max(highest, count_->most(word));
  // Listed once with their counts, rather than a pass over the block per count.
  seeds_.clear();
  for (int32_t word = first_word; word < end_word; ++word) {
    for_each_bit(count_->reaching(word, highest / 2), [&](int place) {
      const int32_t rank = word * kWordBits + place;
      seeds_.push_back({count_->covered_at(rank), rank});
    });
  }
  std::sort(seeds_.begin(), seeds_.end(), higher_count);
  for (size_t i = 0; i < seeds_.size();) {
    if (sink.full()) return seeds_[i - 1].count;
    for (const int32_t level = seeds_[i].count; i < seeds_.size() && seeds_[i].count == level; ++i)
      offer(sink, grams.place_of_rank(seeds_[i].rank));
  }
  return highest / 2;
}

// Scores the choice against what it must pass, and hands it and its later
// twins to the sink if it passes.
template <class Sink>
void ChoiceQuery::offer(Sink& sink, int32_t choice) {
  const int32_t cutoff = sink.cutoff(choice);
  const int32_t score = evaluate(choice, cutoff);
  if (score <= cutoff) return;
  sink.take(score, choice);
  for (int32_t twin = choices_.next_twin(choice); twin >= 0 && score > sink.cutoff(twin);
       twin = choices_.next_twin(twin)) {
    sink.take(score, twin);
  }
}

// The choice's score when it is above `cutoff`, else a value not above it.
int32_t ChoiceQuery::evaluate(int32_t choice, int32_t cutoff) {
  const ItemView item = choices_.records().candidate(choice);
  const ChoiceCandidate candidate(choices_.records(), choices_.stored_index(),
                                  count_ ? &*count_ : nullptr, choice);
  switch (measure_.kind) {
    case MeasureKind::byte_difference:
      break;
    case MeasureKind::longest_substrings: {
      const int32_t longest = longest_not_above(cutoff);
      if (longest >= 0 && bounds_.cannot_be_longer(candidate, longest)) return cutoff;
      return longest_substring_score(choices_.stats(),
                                     pair_.longest_hit(bounds_.reference(), item).length);
    }
    case MeasureKind::common_pieces:
      // Every counted piece covers a q-gram's bytes or more.
      if (count_ && count_->covered(choice) < measure_.shortest_piece) return 0;
      // Common-piece scores are never negative: a lower cutoff bounds nothing.
      if (cutoff >= 0 && bounds_.cannot_beat(candidate, cutoff, nullptr)) return cutoff;
      break;
  }
  return pair_.score(bounds_.reference(), item, reference_stored_, choices_.stored(choice), cutoff);
}

// The least count of the word's choices with which one could pass
// `cutoff`. It depends on the word's shortest choice and, under -f, on its
// longest stored one: words in a row often share it.
inline int32_t ChoiceQuery::least_count(int32_t word, int32_t cutoff) {
  const GramIndex& grams = count_->index();
  if (measure_.longest_substrings()) {
    const int32_t longest = longest_not_above(cutoff);
    return longest < 0 ? 0 : bounds_.least_coverage(0, 0, longest);
  }
  const int32_t shortest = grams.shortest(word);
  const int32_t longest_read = measure_.length_correlation ? grams.longest_read(word) : 0;
  if (shortest != need_shortest_ || longest_read != need_longest_read_ || cutoff != need_cutoff_) {
    need_shortest_ = shortest;
    need_longest_read_ = longest_read;
    need_cutoff_ = cutoff;
    need_ = bounds_.least_coverage(shortest, longest_read, cutoff);
  }
  return need_;
}

// Longest substrings: the longest common substring whose score is not above
// `cutoff`, -1 if none; a choice must hold a longer one to pass it.
int32_t ChoiceQuery::longest_not_above(int32_t cutoff) const {
  const RecordStats& stats = choices_.stats();
  if (longest_substring_score(stats, 0) > cutoff) return -1;
  int32_t low = 0, high = kMaxPrepared;  // the score of `low` is not above the cutoff
  while (low < high) {
    const int32_t middle = (low + high + 1) / 2;
    if (longest_substring_score(stats, middle) <= cutoff) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low;
}

}  // namespace vexaro
