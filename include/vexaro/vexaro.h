// Vexaro as a library: score two records, or order a list of records by
// similarity, with the same settings and the same results as the program.
//
//   auto options = vexaro::Options::from_arguments({"-p", "-a"});
//   int s = vexaro::score(options, "Hello World", "hello word");
//   vexaro::Ordering sorted = vexaro::order(options, records);
//
// Everything here is reentrant: an Options value is immutable and every call
// builds its own scorer, so calls may run on several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexaro {

inline constexpr std::size_t max_records = 16000;       // records one ordering takes
inline constexpr std::size_t max_record_length = 2000;  // bytes of a record that count

struct Ordering;

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

  friend int score(const Options&, std::string_view, std::string_view);
  friend Ordering order(const Options&, const std::vector<std::string>&);
};

// Records are byte strings already cut: no line end or carriage return is
// removed. A record must hold at least one byte and no zero byte (else
// std::invalid_argument); only its first max_record_length bytes are compared.

// The score of `candidate` against `reference`, as the program finds it when
// these two records are its whole input, `reference` first: the header score
// of the second line under -d whenever that score is -1 or more. The byte
// statistics that -b, -f and -a9999 use come from these two records.
int score(const Options& options, std::string_view reference, std::string_view candidate);

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
// earlier in the current order. At most max_records records (else
// std::length_error); none gives an empty Ordering.
Ordering order(const Options& options, const std::vector<std::string>& records);

}  // namespace vexaro
