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
#include "scoring/item_rules.h"
#include "scoring/measure.h"

namespace vexaro {

// The settings, and what the scorers read of them, derived once.
struct Options::Impl {
  explicit Impl(const Settings& parsed)
      : settings(parsed), items(item_rules_of(parsed)), measure(measure_of(parsed)) {}
  Settings settings;
  ItemRules items;
  Measure measure;
};

struct OptionsAccess {
  static const Settings& settings(const Options& options) { return options.impl_->settings; }
  static const ItemRules& items(const Options& options) { return options.impl_->items; }
  static const Measure& measure(const Options& options) { return options.impl_->measure; }
};

// Refuses what the scan could never have stored, naming the record: `role`
// and, unless it is one of a kind, its number.
void check_record(std::string_view record, const char* role, std::size_t number);
void check_record(std::string_view record, const char* role);

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
