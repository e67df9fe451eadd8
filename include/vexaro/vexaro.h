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
// Many queries against one list of choices are best asked of an Index,
// which prepares and indexes the choices once:
//
//   vexaro::Index index(vexaro::Options().position_weighting(true), records);
//   std::vector<vexaro::Match> top = index.extract("hello", 5);
//
// Thread safety: the free functions are reentrant, and every call builds its
// own scorer, so calls may run on several threads at once. An Options value
// is a value: its setters change only the object they are called on, and
// copies share nothing mutable. A Scorer keeps working memory, so each
// thread needs its own. An Index is immutable after construction: any number
// of threads may query one at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
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

namespace detail {
// Whether T is a range whose elements convert to std::string_view: a
// vector of strings, a span or array of string_views, a vector of const
// char*... (a string itself is a range of chars, and is not one).
template <class T, class = void>
struct is_text_range : std::false_type {};
template <class T>
struct is_text_range<T, std::void_t<decltype(std::begin(std::declval<const T&>())),
                                    decltype(std::end(std::declval<const T&>()))>>
    : std::is_convertible<decltype(*std::begin(std::declval<const T&>())), std::string_view> {};
template <class T>
inline constexpr bool is_text_range_v = is_text_range<T>::value;

template <class Range>
std::vector<std::string_view> text_views(const Range& range) {
  std::vector<std::string_view> views;
  for (const auto& text : range) views.emplace_back(text);
  return views;
}
}  // namespace detail

// The settings of a run, made from the same argument strings as the command
// line and read by the same rules: nothing is ever rejected. The options that
// only shape the program's streams (-d, -r, -l, -g) change no result here.
//
// The setters give exactly what their argument gives on the command line,
// with the command line's rules: -m implies case-sensitive work and pieces
// of one byte, -b wins over -a9999, and the operating range never starts
// below 2 (below 1 under -b). A flag setter given true sets the flag; given
// false it takes back what an earlier call of the same setter set, but it
// cannot clear a flag from_arguments set (flags are only ever set). Of the
// setters' values the last call wins, and they win over the same values
// given to from_arguments, as an argument nearer the start of a command
// line does. Each returns *this, so that calls chain:
//
//   auto options = vexaro::Options().position_weighting(true).length_weighting(9);
//   // the same as vexaro::Options::from_arguments({"-p", "-a"})
class Options {
 public:
  Options();  // the defaults, as a run without arguments
  static Options from_arguments(const std::vector<std::string>& arguments);

  Options& case_sensitive(bool on);      // -v: no case folding
  Options& digits(bool on);              // -n: the operating range starts at '0'
  Options& phonetic(bool on);            // -m: compare Metaphone keys
  Options& position_weighting(bool on);  // -p: weigh pieces by where they lie
  // -a (divisor 9) or -aN: weigh pieces by their length. 9999 is the
  // longest-substrings mode, as -a9999. 0 takes back an earlier call; it
  // cannot clear -a given to from_arguments.
  Options& length_weighting(unsigned divisor);
  Options& length_correlation(bool on);     // -f: scale scores by the stored lengths
  Options& byte_difference(bool on);        // -b: the byte-difference measure
  Options& longest_substrings(bool on);     // -a9999
  Options& skip(int bytes);                 // -sN: leave out the first N bytes
  Options& start_byte(unsigned char byte);  // -cX: compare behind the first X; 0: off
  // -o: blank these strings out of every record. As -o takes them: at most
  // ten, each cut to 14 bytes, slot by slot over the list from_arguments
  // gave, and an empty string hides the ones after it. A string holding
  // ';' or a zero byte, which -o cannot give, throws std::invalid_argument.
  Options& omit(std::vector<std::string> strings);
  // -wLOW,HIGH: the byte values compared. Each is kept to its low 8 bits; a
  // low bound only ever lowers the range's start from 65 (48 under -n).
  Options& operating_range(unsigned low, unsigned high);

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
// thread. A moved-from Scorer may only be assigned to or destroyed: its
// score() throws std::logic_error.
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
  // Under -a9999 (without -b): the longest common substring of the query
  // and this choice, as order() shows it, of the prepared bytes (folded to
  // lower case unless -v, only the operating range's bytes); empty when
  // they have none. Empty under the other measures.
  std::string substring;
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

// The `limit` best choices, the highest score first and equal scores in the
// order of the choices: the first `limit` of matches(..., INT_MIN), found
// without scoring exactly the choices that can no longer be among them.
std::vector<Match> extract(const Options& options, std::string_view query,
                           const std::vector<std::string>& choices, size_t limit);
std::vector<Match> extract(const Options& options, std::string_view query,
                           const std::vector<std::string>& choices, size_t limit,
                           const Statistics& statistics);

// Many queries against one list of choices. The index copies the choices,
// prepares each once and indexes their q-grams, which costs about what a
// dozen best_match calls over the same list do; a query then counts, for
// every choice at once, how much of the query the choice's q-grams cover,
// and scores exactly only the few choices that this count lets through.
// Prefer it to best_match and matches as soon as one list meets more than
// a handful of queries; for a single query, best_match is cheaper.
//
// Choices are records as in order(): at least one byte, no zero byte (else
// std::invalid_argument naming the choice's position), only the first
// max_record_length bytes compared, at most largest_record_limit of them
// (else std::length_error). Queries are records too ("query" or, in
// best_matches, "query 17" in the message).
//
// Scores are those a Scorer of the query with the index's statistics
// gives: each choice scores against the query alone, and under -a9999 by
// its own longest common substring with it. Without statistics the index
// takes those of its choices (Statistics::of), not of the query and the
// choices as the free best_match does.
//
// Threads: the index keeps one pool of `threads` threads (0: VEXARO_THREADS
// or the machine's cores), the caller's own thread included, started with
// the index and reused by every call; they sleep between calls and never
// spin. best_matches spreads its queries over the pool, or over as many of
// its threads as the call asks; best_match, extract and matches run on the
// caller's thread, one query being too short to share. A best_matches that
// finds the pool busy with another caller's call runs on its own thread,
// so several threads may query one index at once and no more threads than
// asked ever work for it. An Index can be moved, not copied; a moved-from Index may
// only be assigned to or destroyed (its calls throw std::logic_error).
class Index {
 public:
  // Copies and prepares the choices: a vector of strings, a span or array
  // of string_views, any range of things that convert to std::string_view.
  template <class Choices, std::enable_if_t<detail::is_text_range_v<Choices>, int> = 0>
  Index(const Options& options, const Choices& choices,
        std::optional<Statistics> statistics = std::nullopt, int threads = 0)
      : Index(Views{}, options, detail::text_views(choices), statistics, threads) {}
  Index(const Options& options, std::initializer_list<std::string_view> choices,
        std::optional<Statistics> statistics = std::nullopt, int threads = 0)
      : Index(Views{}, options, std::vector<std::string_view>(choices), statistics, threads) {}
  ~Index();
  Index(Index&&) noexcept;
  Index& operator=(Index&&) noexcept;

  std::size_t size() const;                          // how many choices
  std::string_view choice(std::size_t index) const;  // as given; index < size()
  const Options& options() const;
  const Statistics& statistics() const;  // those given, or the choices'
  int threads() const;                   // the pool's, the caller's thread included

  // The choice with the highest score, the earliest of those tied (the one
  // best_match would give with the index's statistics); nothing when the
  // index is empty.
  std::optional<Match> best_match(std::string_view query) const;
  // The best `limit` choices, the highest score first, equal scores in the
  // order of the choices: the first `limit` of matches(query, INT_MIN).
  // A limit of 0 gives none.
  std::vector<Match> extract(std::string_view query, std::size_t limit) const;
  // Every choice that scores above `min_score`, the highest score first,
  // equal scores in the order of the choices.
  std::vector<Match> matches(std::string_view query, int min_score) const;
  // best_match of each query, in the order of the queries, the queries
  // spread over the index's threads; with `threads`, over at most that many
  // of them (0: all, 1: the caller's alone).
  template <class Queries, std::enable_if_t<detail::is_text_range_v<Queries>, int> = 0>
  std::vector<std::optional<Match>> best_matches(const Queries& queries) const {
    return best_matches_of(detail::text_views(queries), 0);
  }
  template <class Queries, std::enable_if_t<detail::is_text_range_v<Queries>, int> = 0>
  std::vector<std::optional<Match>> best_matches(const Queries& queries, int threads) const {
    return best_matches_of(detail::text_views(queries), threads);
  }
  std::vector<std::optional<Match>> best_matches(
      std::initializer_list<std::string_view> queries) const {
    return best_matches_of(std::vector<std::string_view>(queries), 0);
  }

  struct Impl;

 private:
  struct Views {};
  Index(Views, const Options& options, const std::vector<std::string_view>& choices,
        const std::optional<Statistics>& statistics, int threads);
  std::vector<std::optional<Match>> best_matches_of(const std::vector<std::string_view>& queries,
                                                    int threads) const;
  const Impl& impl() const;

  std::unique_ptr<Impl> impl_;
};

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
