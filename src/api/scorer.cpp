// SPDX-License-Identifier: MIT
// The cached scorer of the library, and the record statistics it is given.
#include <vexaro/vexaro.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "api/api_internal.h"
#include "engine/reference_scorer.h"

namespace vexaro {

void Statistics::add(const Options& options, std::string_view record) {
  check_record(record, "record");
  RecordStats bytes;
  bytes.min_byte = min_byte;
  bytes.max_byte = max_byte;
  count_bytes(OptionsAccess::settings(options), bytes,
              reinterpret_cast<const uint8_t*>(record.data()), record.size());
  min_byte = bytes.min_byte;
  max_byte = bytes.max_byte;
  ++records;
  stored_bytes += std::min<std::size_t>(record.size(), max_record_length);
}

Statistics Statistics::of(const Options& options, const std::vector<std::string>& records) {
  Statistics statistics;
  for (const std::string& record : records) statistics.add(options, record);
  return statistics;
}

RecordStats record_stats(const Statistics& statistics) {
  RecordStats stats;
  stats.min_byte = statistics.min_byte;
  stats.max_byte = statistics.max_byte;
  if (statistics.records > 0) {
    const auto mean = static_cast<int32_t>(statistics.stored_bytes / statistics.records);
    stats.record_count = 1;
    stats.stored_bytes = mean;
    stats.twice_mean_length = 2 * mean;
  }
  return stats;
}

struct Scorer::Impl {
  Impl(const Options& options, std::string_view reference, const Statistics& statistics)
      : scorer(OptionsAccess::items(options), OptionsAccess::measure(options),
               record_stats(statistics), reference) {}
  ReferenceScorer scorer;
};

Scorer::Scorer(const Options& options, std::string_view reference, const Statistics& statistics) {
  check_record(reference, "reference");
  impl_ = std::make_unique<Impl>(options, reference, statistics);
}

Scorer::~Scorer() = default;
Scorer::Scorer(Scorer&&) noexcept = default;
Scorer& Scorer::operator=(Scorer&&) noexcept = default;

int Scorer::score(std::string_view candidate) { return score(candidate, INT32_MIN); }

int Scorer::score(std::string_view candidate, int cutoff) {
  if (!impl_) throw std::logic_error("vexaro: the Scorer was moved from");
  check_record(candidate, "candidate");
  return impl_->scorer.score(candidate, cutoff);
}

}  // namespace vexaro
