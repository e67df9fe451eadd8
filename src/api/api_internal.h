// SPDX-License-Identifier: MIT
// What the library's entry points share: the settings behind an Options
// value, the checks of the records they are given, and the record
// statistics the scorers read.
#pragma once

#include <vexaro/vexaro.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/record_index.h"
#include "records/settings.h"

namespace vexaro {

struct Options::Impl {
  Settings settings;
};

struct OptionsAccess {
  static const Settings& settings(const Options& options) { return options.impl_->settings; }
};

// Refuses what the scan could never have stored, naming the record: `role`
// and, unless it is one of a kind, its number.
void check_record(std::string_view record, const char* role, std::size_t number);
void check_record(std::string_view record, const char* role);

// Whether the scores under these settings read the record statistics.
inline bool reads_statistics(const Settings& settings) {
  return settings.byte_difference || settings.length_correlation || settings.longest_substrings;
}

// The scorers' statistics: they read the count and the sum of the stored
// lengths only through their mean, which is kept here as a single record's.
RecordStats record_stats(const Statistics& statistics);

// best_match and matches, with the statistics given or, when null, those of
// the query and the choices; on `threads` threads, or when 0 on the
// engine's threads once the choices are worth sharing. Tests name the
// count, so that they share the choices on any machine.
std::optional<Match> find_best_match(const Options& options, std::string_view query,
                                     const std::vector<std::string>& choices,
                                     const Statistics* statistics, int threads);
std::vector<Match> find_matches(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices, int min_score,
                                const Statistics* statistics, int threads);

}  // namespace vexaro
