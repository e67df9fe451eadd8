// SPDX-License-Identifier: MIT
// One query at a time searched in the choices of an index, on one thread:
// the query prepared as a row's reference, its count over the gram index,
// and the bounds and the pair scorer that score the choices the count lets
// through. The choices with the highest counts are scored first, so that
// the cutoff (the best so far, or the k-th best) rises at once; then every
// bitset word lists the choices whose count could beat it, and only those
// meet the candidate bounds and, past them, the exact score. The best few
// lie at many lengths: a search for several offers a block's highest count
// at once and the rest once every block is counted, the highest estimated
// scores first. Without a gram index (-m, -b) every choice meets the
// bounds. A later twin scores what the first of its class does and is
// never scored itself.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/candidate_bounds.h"
#include "engine/choice_ranking.h"
#include "engine/gram_query.h"
#include "engine/indexed_choices.h"
#include "engine/pair_scorer.h"
#include "scoring/item.h"

namespace vexaro {

class ChoiceQuery {
 public:
  // The choices must outlive the query.
  explicit ChoiceQuery(const IndexedChoices& choices);
  ChoiceQuery(const ChoiceQuery&) = delete;
  ChoiceQuery& operator=(const ChoiceQuery&) = delete;

  // Prepares `query`, a record, for the searches that follow.
  void load(std::string_view query);
  // Offers every choice that could enter `top` to it.
  void rank(TopChoices& top);
  // Adds every choice that scores above `min_score` to `found`, in no order.
  void gather_above(int32_t min_score, std::vector<ChoiceScore>& found);
  // Under -a9999: the longest common substring of the query and the choice.
  std::string substring(int32_t choice);

 private:
  template <class Sink>
  void search(Sink& sink);
  template <class Sink>
  void search_block(Sink& sink, int32_t block, bool defer);
  template <class Sink>
  void offer_deferred(Sink& sink);
  template <class Sink>
  int32_t seed(Sink& sink, int32_t first_word, int32_t end_word);
  template <class Sink>
  void offer(Sink& sink, int32_t choice);
  int32_t evaluate(int32_t choice, int32_t cutoff);
  int32_t block_of_length(int32_t length) const;
  int32_t most_count(int32_t word) const;
  [[gnu::always_inline]] int32_t least_count(int32_t word, int32_t cutoff);
  int32_t longest_not_above(int32_t cutoff) const;

  const IndexedChoices& choices_;
  const Measure& measure_;
  CandidateBounds bounds_;  // they view the prepared query in reference_
  PairScorer pair_;
  std::optional<GramQuery> count_;
  std::array<int32_t, GramQuery::kBlockWords> block_need_;  // per word of a block
  struct Seed {
    int32_t count, rank;
  };
  // An object rather than a function, so that the sorts inline it.
  struct HigherCount {
    bool operator()(const Seed& a, const Seed& b) const {
      return a.count != b.count ? a.count > b.count : a.rank < b.rank;
    }
  };
  static constexpr HigherCount higher_count{};
  std::vector<Seed> seeds_;  // a block's choices to offer, in the order offered
  // Choices of a search for several, their count turned into an estimate
  // of their score, offered once every block is counted.
  std::vector<Seed> deferred_;
  int32_t estimate(const Seed& seed) const;
  // The last least count worked out, and what it was for.
  int32_t need_shortest_ = -1, need_longest_read_ = 0, need_cutoff_ = 0, need_ = 0;
  std::array<uint8_t, kMaxRecordLength + 1> raw_;
  std::array<uint8_t, kPreparedRoom> reference_;
  int32_t reference_stored_ = 0;
};

}  // namespace vexaro
