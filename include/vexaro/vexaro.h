// SPDX-License-Identifier: MIT
// Vexaro as a library: score two records, order a list of records by
// similarity, or find the records most similar to a query, with the same
// settings and the same results as the program.
//
//   auto options = vexaro::Options::from_arguments({"-p", "-a"});
//   int s = vexaro::score(options, "Hello World", "hello word");
//   vexaro::Ordering sorted = vexaro::order(options, records);
//   std::optional<vexaro::Match> best = vexaro::best_match(options, "hello", records);
//
// Everything here is reentrant: an Options value is immutable and every call
// builds its own scorer, so calls may run on several threads at once. A
// Scorer is the one exception: it keeps working memory, so each thread needs
// its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexaro {

// The program takes max_records records unless its VEXARO_MAX_RECORDS asks
// for another count, up to largest_record_limit; order() takes up to
// largest_record_limit. 2^20 records of max_record_length bytes still have
// every offset into the engine's stores within 32 bits.
inline constexpr std::size_t max_records = 16000;
inline constexpr std::size_t largest_record_limit = std::size_t{1} << 20;
inline constexpr std::size_t max_record_length = 2000;  // bytes of a record that count

struct Ordering;
struct OptionsAccess;

// The settings of a run, made from the same argument strings as the command
// line and read by the same rules: nothing is ever rejected. The options that
// only shape the program's streams (-d, -r, -l, -g) change no result here.
class Options {
 public:
  Options();  // the defaults, as a run without arguments
  static Options from_arguments(const std::vector<std::string>& arguments);

  // -a9999: records are ordered on their longest common substrings.
  bool longest_substrings() const;

  struct Impl;

 private:
  explicit Options(std::shared_ptr<const Impl> impl);
  std::shared_ptr<const Impl> impl_;

  friend struct OptionsAccess;
};

// Records are byte strings already cut: no line end or carriage return is
// removed. A record must hold at least one byte and no zero byte (else
// std::invalid_argument); only its first max_record_length bytes are compared.

// The score of `candidate` against `reference`, as the program finds it when
// these two records are its whole input, `reference` first: the header score
// of the second line under -d whenever that score is -1 or more. The record
// statistics that -b, -f and -a9999 use come from these two records. Each
// call prepares both records and builds the scorer's tables anew: to score
// many candidates against one reference, use a Scorer.
int score(const Options& options, std::string_view reference, std::string_view candidate);

// What three options read of the whole data set besides the two records
// they compare, taken from records the way the program's scan takes them:
//  -b      the byte range, min_byte to max_byte: the smallest and largest
//          byte of the records within the operating range (-w, -n), by
//          the scan's rule that a byte raising the maximum is not tested
//          against the minimum; every byte of a record counts, even past
//          max_record_length. A total difference is scaled by the range.
//  -f      the mean stored length (stored_bytes / records, truncated):
//          scores are multiplied by the pair's two stored lengths over
//          twice that mean; no correction without records.
//  -a9999  the same mean: a pair scores its longest common substring's
//          length times 1000 over the mean; 0 without records.
// No other option reads them, so without these three any value will do.
struct Statistics {
  std::uint8_t min_byte = 255;
  std::uint8_t max_byte = 0;
  std::uint64_t records = 0;
  // The sum of the stored lengths: each record's length, at most
  // max_record_length.
  std::uint64_t stored_bytes = 0;

  // Takes one more record into the statistics (the byte range depends on
  // the options). The record must be one the other calls take, else
  // std::invalid_argument.
  void add(const Options& options, std::string_view record);
  // The statistics of these records, as the program gathers them from an
  // input of these records.
  static Statistics of(const Options& options, const std::vector<std::string>& records);
};

// One reference scored against many candidates: the reference is prepared
// once and the scorer's tables are kept from one candidate to the next, so
// a call costs what the pair needs and allocates nothing, unless a
// candidate needs larger tables than any before it. Scores are those of the
// free score(), but with the statistics given here. The scorer holds its
// working memory, from 400 KB for short records to a few megabytes for long
// ones of many byte values, and score() changes it: use one Scorer per
// thread. A moved-from Scorer may only be assigned to or destroyed.
class Scorer {
 public:
  // The reference is scored as order() scores a record against the later
  // ones; the records must be ones the other calls take (else
  // std::invalid_argument, here and in score()).
  Scorer(const Options& options, std::string_view reference, const Statistics& statistics);
  ~Scorer();
  Scorer(Scorer&&) noexcept;
  Scorer& operator=(Scorer&&) noexcept;

  // The exact score of `candidate` against the reference.
  int score(std::string_view candidate);
  // The exact score when it is greater than `cutoff`. Otherwise a value no
  // greater than `cutoff`, which need not be the score: the scorer stops as
  // soon as bounds of the score show that it cannot pass the cutoff, and
  // most dissimilar candidates cost a small part of an exact score. Under
  // -b and -a9999 the score is always exact.
  int score(std::string_view candidate, int cutoff);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// A choice and its score against the query.
struct Match {
  std::size_t index = 0;  // in `choices`
  int score = 0;
};

// The one-to-many calls. The query is scored as a Scorer's reference, each
// choice as a candidate, on the engine's threads (VEXARO_THREADS, as for
// the program), with bounds that pass over the choices that cannot matter.
// Choices are records as in order(), but there may be any number of them
// below 2^32 - 1 (else std::length_error).
// Without `statistics`, they are those of the query and the choices
// together, as the program would gather them from an input of the query
// followed by the choices.
//
// Under -a9999 a choice scores its own longest common substring with the
// query; nothing of one choice carries over to the next.

// The choice with the highest score, the earliest of those tied: the one
// order() puts right after the query in an ordering of the query followed
// by the choices (unless, under -b, every choice scores -1 or less: order()
// then keeps the first and shows -1). Nothing when there are no choices.
std::optional<Match> best_match(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices);
std::optional<Match> best_match(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices,
                                const Statistics& statistics);

// Every choice that scores above `min_score`, the highest score first and
// equal scores in the order of the choices.
std::vector<Match> matches(const Options& options, std::string_view query,
                           const std::vector<std::string>& choices, int min_score);
std::vector<Match> matches(const Options& options, std::string_view query,
                           const std::vector<std::string>& choices, int min_score,
                           const Statistics& statistics);

// What the program writes for an input of these records, without the streams.
struct Ordering {
  // order[k]: the index in `records` of the record on line k; order[0] is 0.
  std::vector<std::size_t> order;
  // scores[k]: the score in the header of line k, the score of that record
  // against the one before it; 0 on the first line, -1 after a row in which
  // no candidate scored above -1.
  std::vector<std::int32_t> scores;
  // Under -a9999 only, substrings[k]: the text line k shows instead of the
  // record, the longest common substring the search of line k-1 found
  // ("##NO_PREVIOUS_ITEM_TO_COMPARE##" on the first line). Empty otherwise.
  std::vector<std::string> substrings;
  // The mean of the header scores, truncated; the program's exit status is
  // this value as the platform takes it (modulo 256).
  std::int64_t mean = 0;
};

// Orders the records by similarity: the first stays first, each next one is
// the most similar of those left to the one before it, ties going to the
// earlier in the current order. At most largest_record_limit records (else
// std::length_error); none gives an empty Ordering.
Ordering order(const Options& options, const std::vector<std::string>& records);

}  // namespace vexaro
