// SPDX-License-Identifier: MIT
// How the fuzz targets read one input: a command line and the bytes of
// standard input, in a form that stays readable in a seed file and that the
// mutator can change either side of.
//
// The arguments are the zero-separated pieces before the first pair of zero
// bytes; everything after that pair is standard input. An input without such
// a pair is all standard input, with no arguments. A zero byte cannot occur
// inside a real argument, so nothing a command line can say is left out.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cli/program.h"
#include "records/record_index.h"
#include "records/settings.h"
#include "records/streams.h"

namespace vexaro::fuzz {

// A property that fails stops the fuzzer with the input that broke it.
inline void require(bool condition) {
  if (!condition) std::abort();
}

// Inputs are kept small so that a run of the whole program stays fast.
inline constexpr size_t kMaxInput = 4096;
inline constexpr size_t kMaxArguments = 8;

struct FuzzCase {
  std::vector<std::string> args;
  std::string_view input;
};

inline FuzzCase split_case(const uint8_t* data, size_t size) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  FuzzCase result;
  const size_t end = all.find(std::string_view("\0\0", 2));
  if (end == std::string_view::npos) {
    result.input = all;
    return result;
  }
  std::string_view rest = all.substr(0, end);
  while (!rest.empty() && result.args.size() < kMaxArguments) {
    const size_t cut = rest.find('\0');
    result.args.emplace_back(rest.substr(0, cut));
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  result.input = all.substr(end + 2);
  return result;
}

// Input held in memory that hands out at most `piece` bytes per read and,
// when `seekable` is false, skips by reading as a pipe does, so that block
// boundaries and both ways of skipping get exercised.
class ChoppySource : public ByteSource {
 public:
  ChoppySource(std::string_view data, size_t piece, bool seekable)
      : data_(data), piece_(piece == 0 ? 1 : piece), seekable_(seekable) {}

  long read(uint8_t* buffer, size_t capacity) override {
    const size_t count = std::min({capacity, piece_, data_.size() - position_});
    std::memcpy(buffer, data_.data() + position_, count);
    position_ += count;
    return static_cast<long>(count);
  }

  bool skip(uint64_t count) override {
    if (!seekable_) return ByteSource::skip(count);
    position_ += static_cast<size_t>(std::min<uint64_t>(count, data_.size() - position_));
    return true;
  }

 private:
  std::string_view data_;
  size_t piece_;
  bool seekable_;
  size_t position_ = 0;
};

// One run of the whole program in memory.
struct RunResult {
  std::string out;
  std::string err;
  int status = 0;
};

inline RunResult run_in_memory(const FuzzCase& c, bool terminal, const SearchFactory& search) {
  MemorySource input(c.input);
  StringSink output, diagnostics;
  RunResult result;
  result.status = run(c.args, Streams{input, output, diagnostics, terminal}, search);
  result.out = output.text();
  result.err = diagnostics.text();
  return result;
}

// Whether the literal engine orders these records quickly: its cost grows
// with the number of pairs and the square of their length.
inline bool cheap_to_order(const FuzzCase& c) {
  const Settings settings = parse_arguments(c.args, false);
  MemorySource input(c.input);
  StringSink diagnostics;
  RecordIndex index;
  if (scan_records(settings, input, diagnostics, index) != ScanStatus::ok) return true;
  const int64_t count = index.size();
  if (count > 64) return false;
  const int64_t mean = count > 0 ? index.stats.stored_bytes / count : 0;
  return count * (count - 1) / 2 * (mean * mean / 256 + 1) <= 20000;
}

}  // namespace vexaro::fuzz
