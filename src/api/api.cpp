// SPDX-License-Identifier: MIT
// The library's entry points over the program's own stages: the settings
// parser, the in-memory record index and the default engine for whole
// orderings, and the fast pair scorer for single pairs.
#include <vexaro/vexaro.h>

#include <cstdint>
#include <stdexcept>

#include "api/api_internal.h"
#include "engine/fast_search.h"
#include "engine/reference_scorer.h"
#include "ordering/ordering.h"
#include "records/record_index.h"
#include "records/settings.h"

namespace vexaro {

static_assert(max_records == kMaxRecords && largest_record_limit == kLargestRecordLimit &&
              max_record_length == kMaxRecordLength);

namespace {

// What the scan could never have stored: an empty record, or one with a
// zero byte (which ends a record). The name is made only for the message.
template <class Name>
void check(std::string_view record, Name&& name) {
  if (record.empty()) throw std::invalid_argument("vexaro: " + name() + " is empty");
  if (record.find('\0') != std::string_view::npos)
    throw std::invalid_argument("vexaro: " + name() + " holds a zero byte");
}

}  // namespace

void check_record(std::string_view record, const char* role, size_t number) {
  check(record, [&] { return std::string(role) + " " + std::to_string(number); });
}

void check_record(std::string_view record, const char* role) {
  check(record, [&] { return std::string(role); });
}

int score(const Options& options, std::string_view reference, std::string_view candidate) {
  check_record(reference, "record", 0);
  check_record(candidate, "record", 1);
  const Measure& measure = OptionsAccess::measure(options);
  Statistics statistics;
  if (measure.reads_statistics()) {
    statistics.add(options, reference);
    statistics.add(options, candidate);
  }
  const auto scorer = std::make_unique<ReferenceScorer>(OptionsAccess::items(options), measure,
                                                        record_stats(statistics), reference,
                                                        PairScorer::Use::single_pair);
  return scorer->score(candidate, INT32_MIN);
}

Ordering order(const Options& options, const std::vector<std::string>& records) {
  if (records.size() > largest_record_limit) {
    throw std::length_error("vexaro: more than " + std::to_string(largest_record_limit) +
                            " records");
  }
  for (size_t i = 0; i < records.size(); ++i) check_record(records[i], "record", i);
  const Settings& s = OptionsAccess::settings(options);
  const RecordIndex index = index_records(s, records);
  auto search = make_default_search(s, index);
  Ordering result;
  result.order.reserve(records.size());
  result.scores.reserve(records.size());
  RowsOutcome outcome = order_rows(s, index, *search, [&](const RowLine& line) {
    result.order.push_back(static_cast<size_t>(line.record));
    result.scores.push_back(line.score);
    if (s.longest_substrings) result.substrings.emplace_back(line.text);
    return true;
  });
  result.mean = outcome.mean;
  return result;
}

}  // namespace vexaro
