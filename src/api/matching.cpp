// SPDX-License-Identifier: MIT
// The one-to-many calls. The choices are handed out to the engine's threads
// in chunks, in index order; each thread scores its chunks with its own
// reference scorer, whose cutoff lets the bounds pass over most choices and
// cuts the scan of many others short. best_match's cutoff is the best any
// thread has found so far: a choice before it must reach that score, one
// after it must pass it, so every choice that could still win is scored
// exactly, and the threads' finds come out as a one-by-one search would.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "api/api_internal.h"
#include "engine/reference_scorer.h"
#include "engine/worker_pool.h"

namespace vexaro {
namespace {

// Choices a thread takes at a time: enough that taking them costs nothing
// beside scoring them, few enough that the threads finish together.
constexpr size_t kChunk = 64;
// Choices of fewer bytes than this are scored on the calling thread alone.
// One thread scores the megabyte of 16000 package summaries in about 2 ms
// here, while starting a thread and waiting for it costs 60 us on an idle
// machine and some hundreds when the cores are busy.
constexpr size_t kFewestBytesToShare = size_t{256} << 10;

// How many threads to share the choices between.
size_t lanes_for(const std::vector<std::string>& choices, int threads) {
  const size_t chunks = (choices.size() + kChunk - 1) / kChunk;
  if (threads > 0) return std::max<size_t>(std::min<size_t>(threads, chunks), 1);
  size_t bytes = 0;
  for (size_t i = 0; i < choices.size() && bytes < kFewestBytesToShare; ++i) {
    bytes += choices[i].size();
  }
  if (bytes < kFewestBytesToShare) return 1;
  return std::min<size_t>(default_thread_count(), chunks);
}

bool takes(std::string_view record) {
  return !record.empty() && std::memchr(record.data(), 0, record.size()) == nullptr;
}

// What one call needs: the settings, the statistics and a reference scorer
// per thread, made on the calling thread so that it alone can throw.
struct Sweep {
  Sweep(const Options& options, std::string_view query, const std::vector<std::string>& choices,
        const Statistics* given, int threads)
      : choices(choices) {
    check_record(query, "query");
    if (choices.size() >= UINT32_MAX) throw std::length_error("vexaro: too many choices");
    Statistics statistics;
    if (given != nullptr) {
      statistics = *given;
    } else if (OptionsAccess::measure(options).reads_statistics()) {
      statistics.add(options, query);
      for (size_t i = 0; i < choices.size(); ++i) {
        check_record(choices[i], "choice", i);
        statistics.add(options, choices[i]);
      }
    }
    stats = record_stats(statistics);
    const size_t lanes = lanes_for(choices, threads);
    for (size_t lane = 0; lane < lanes; ++lane) {
      scorers.push_back(std::make_unique<ReferenceScorer>(
          OptionsAccess::items(options), OptionsAccess::measure(options), stats, query));
    }
  }

  // Calls visit(scorer, index, lane) for every choice, the choices of a
  // chunk in index order on one thread; then throws for the first choice
  // that is no record.
  template <class Visit>
  void run(Visit&& visit) {
    std::atomic<size_t> next{0}, refused{SIZE_MAX};
    auto lane_work = [&](int lane) {
      ReferenceScorer& scorer = *scorers[lane];
      for (;;) {
        const size_t first = next.fetch_add(kChunk, std::memory_order_relaxed);
        if (first >= choices.size()) return;
        for (size_t i = first; i < std::min(first + kChunk, choices.size()); ++i) {
          if (takes(choices[i])) {
            visit(scorer, i, lane);
          } else {
            size_t seen = refused.load(std::memory_order_relaxed);
            while (i < seen && !refused.compare_exchange_weak(seen, i)) {
            }
          }
        }
      }
    };
    if (scorers.size() == 1) {
      lane_work(0);
    } else {
      WorkerPool pool(static_cast<int>(scorers.size()));
      pool.run(lane_work);
    }
    if (const size_t i = refused.load(); i != SIZE_MAX) check_record(choices[i], "choice", i);
  }

  const std::vector<std::string>& choices;
  RecordStats stats;
  std::vector<std::unique_ptr<ReferenceScorer>> scorers;
};

// The best so far as one number, greater for a higher score and, on equal
// scores, for an earlier choice, so that threads raise it with one
// compare-exchange; 0 before any.
uint64_t best_key(int32_t score, size_t index) {
  return uint64_t{static_cast<uint32_t>(score) ^ 0x80000000u} << 32 | (UINT32_MAX - index);
}
int32_t key_score(uint64_t key) { return static_cast<int32_t>((key >> 32) ^ 0x80000000u); }
size_t key_index(uint64_t key) { return UINT32_MAX - static_cast<uint32_t>(key); }

// What choice `index` must pass to beat the best so far.
int32_t cutoff_for(uint64_t best, size_t index) {
  if (best == 0) return INT32_MIN;
  const int32_t score = key_score(best);
  if (key_index(best) < index || score == INT32_MIN) return score;
  return score - 1;  // an earlier choice wins a tie
}

std::optional<Match> find_best(Sweep& sweep) {
  std::atomic<uint64_t> best{0};
  sweep.run([&](ReferenceScorer& scorer, size_t index, int) {
    uint64_t seen = best.load(std::memory_order_relaxed);
    const int32_t cutoff = cutoff_for(seen, index);
    const int32_t score = scorer.score(sweep.choices[index], cutoff);
    if (score <= cutoff) return;
    const uint64_t key = best_key(score, index);
    while (key > seen && !best.compare_exchange_weak(seen, key, std::memory_order_relaxed)) {
    }
  });
  const uint64_t found = best.load();
  if (found == 0) return std::nullopt;
  return Match{key_index(found), key_score(found)};
}

std::vector<Match> find_all(Sweep& sweep, int min_score) {
  std::vector<std::vector<Match>> found(sweep.scorers.size());
  sweep.run([&](ReferenceScorer& scorer, size_t index, int lane) {
    const int32_t score = scorer.score(sweep.choices[index], min_score);
    if (score > min_score) found[lane].push_back({index, score});
  });
  std::vector<Match> all;
  for (const auto& lane : found) all.insert(all.end(), lane.begin(), lane.end());
  std::sort(all.begin(), all.end(), [](const Match& a, const Match& b) {
    return a.score != b.score ? a.score > b.score : a.index < b.index;
  });
  return all;
}

}  // namespace

std::optional<Match> find_best_match(const Options& options, std::string_view query,
                                     const std::vector<std::string>& choices,
                                     const Statistics* statistics, int threads) {
  Sweep sweep(options, query, choices, statistics, threads);
  return find_best(sweep);
}

std::vector<Match> find_matches(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices, int min_score,
                                const Statistics* statistics, int threads) {
  Sweep sweep(options, query, choices, statistics, threads);
  return find_all(sweep, min_score);
}

std::optional<Match> best_match(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices) {
  return find_best_match(options, query, choices, nullptr, 0);
}

std::optional<Match> best_match(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices,
                                const Statistics& statistics) {
  return find_best_match(options, query, choices, &statistics, 0);
}

std::vector<Match> matches(const Options& options, std::string_view query,
                           const std::vector<std::string>& choices, int min_score) {
  return find_matches(options, query, choices, min_score, nullptr, 0);
}

std::vector<Match> matches(const Options& options, std::string_view query,
                           const std::vector<std::string>& choices, int min_score,
                           const Statistics& statistics) {
  return find_matches(options, query, choices, min_score, &statistics, 0);
}

}  // namespace vexaro
