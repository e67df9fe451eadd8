// SPDX-License-Identifier: MIT
// What the library's entry points share: the settings behind an Options
// value, the checks of the records they are given, and the record
// statistics the scorers read.
#pragma once

#include <vexaro/vexaro.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/item_rules.h"
#include "scoring/measure.h"

namespace vexaro {

// The arguments an Options value was made from, those its setters stand
// for, and the settings of both, derived with what the scorers read of
// them whenever they change.
struct Options::Impl {
  // What a setter asked for, as the argument it gives.
  struct Typed {
    int setter;
    std::string argument;
  };
  Impl(std::vector<std::string> given, std::vector<Typed> set);

  std::vector<std::string> arguments;  // as from_arguments got them
  std::vector<Typed> typed;            // per setter called, the last call first
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

// best_match, matches and extract, with the statistics given or, when null, those of
// the query and the choices; on `threads` threads, or when 0 on the
// engine's threads once the choices are worth sharing. Tests name the
// count, so that they share the choices on any machine.
std::optional<Match> find_best_match(const Options& options, std::string_view query,
                                     const std::vector<std::string>& choices,
                                     const Statistics* statistics, int threads);
std::vector<Match> find_matches(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices, int min_score,
                                const Statistics* statistics, int threads);
std::vector<Match> find_extract(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices, size_t limit,
                                const Statistics* statistics, int threads);

// Under -a9999, sets each match's substring: its choice's longest common
// substring with the query (which no statistics change).
void add_substrings(const Options& options, std::string_view query,
                    const std::function<std::string_view(size_t)>& choice,
                    std::vector<Match>& found);

}  // namespace vexaro
