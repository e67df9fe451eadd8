// SPDX-License-Identifier: MIT
// The ranks of the gram index's postings, as narrow as the record count
// allows: 16 bits while every rank fits, which halves the index's largest
// table on common inputs, and 32 bits past 65536 records.
#pragma once

#include <cstdint>
#include <vector>

namespace vexaro {

class RankPostings {
 public:
  static constexpr int64_t kNarrowRanks = int64_t{1} << 16;

  explicit RankPostings(int64_t ranks) : wide_(ranks > kNarrowRanks) {}

  bool wide() const { return wide_; }
  // Calls use(ranks) with the vector of the chosen width and returns what it
  // returns; `use` is generic over the width, so each width has its own code.
  template <class Use>
  decltype(auto) with(Use&& use) {
    return wide_ ? use(wide_ranks_) : use(narrow_ranks_);
  }
  template <class Use>
  decltype(auto) with(Use&& use) const {
    return wide_ ? use(wide_ranks_) : use(narrow_ranks_);
  }

 private:
  bool wide_;
  std::vector<uint16_t> narrow_ranks_;
  std::vector<uint32_t> wide_ranks_;
};

}  // namespace vexaro
