// The library's entry points over the program's own stages: the settings
// parser, the in-memory record index, the literal scorer for single pairs
// and the default engine for whole orderings.
#include <vexaro/vexaro.h>

#include <array>
#include <stdexcept>

#include "engine/fast_search.h"
#include "ordering/ordering.h"
#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/item.h"
#include "scoring/literal_scorer.h"

namespace vexaro {

static_assert(max_records == kMaxRecords && max_record_length == kMaxRecordLength);

struct Options::Impl {
  Settings settings;
};

namespace {

// Refuses what the scan could never have stored, naming the record.
void check_record(std::string_view record, size_t number) {
  if (record.empty()) {
    throw std::invalid_argument("vexaro: record " + std::to_string(number) + " is empty");
  }
  if (record.find('\0') != std::string_view::npos) {
    throw std::invalid_argument("vexaro: record " + std::to_string(number) + " holds a zero byte");
  }
}

}  // namespace

Options::Options() : Options(std::make_shared<const Impl>(Impl{parse_arguments({}, false)})) {}

Options::Options(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

Options Options::from_arguments(const std::vector<std::string>& arguments) {
  return Options(std::make_shared<const Impl>(Impl{parse_arguments(arguments, false)}));
}

bool Options::longest_substrings() const { return impl_->settings.single; }

int score(const Options& options, std::string_view reference, std::string_view candidate) {
  check_record(reference, 0);
  check_record(candidate, 1);
  const Settings& s = options.impl_->settings;
  const RecordIndex index = index_records(s, {std::string(reference), std::string(candidate)});
  // The reference is scored as the ordering writes it, the candidate as read.
  std::array<uint8_t, kMaxRecordLength + 1> st1{};
  rewrite_control_bytes(index.item(0), st1.data());
  auto scorer = std::make_unique<LiteralScorer>(s, index.stats);
  scorer->start_row();
  return scorer->simlin(working_start(s, st1.data()), working_start(s, index.item(1)),
                        index.linlens[0], index.linlens[1]);
}

Ordering order(const Options& options, const std::vector<std::string>& records) {
  if (records.size() > max_records) {
    throw std::length_error("vexaro: more than " + std::to_string(max_records) + " records");
  }
  for (size_t i = 0; i < records.size(); ++i) check_record(records[i], i);
  const Settings& s = options.impl_->settings;
  const RecordIndex index = index_records(s, records);
  auto search = make_default_search(s, index);
  Ordering result;
  result.order.reserve(records.size());
  result.scores.reserve(records.size());
  RowsOutcome outcome = order_rows(s, index, *search, [&](const RowLine& line) {
    result.order.push_back(static_cast<size_t>(line.record));
    result.scores.push_back(line.score);
    if (s.single) result.substrings.emplace_back(line.text);
    return true;
  });
  result.mean = outcome.mean;
  return result;
}

}  // namespace vexaro
