// SPDX-License-Identifier: MIT
// A candidate as the candidate bounds read it: from the prepared records,
// their signatures and, when there is one, a count of the reference bytes
// its q-grams cover (a row's gram index, or a query's count over one).
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/coverage.h"
#include "engine/gram_index.h"
#include "engine/prepared_records.h"
#include "engine/signature.h"
#include "records/record_index.h"

namespace vexaro {

template <class Count>
class PreparedCandidate {
 public:
  // `grams` may be null (no gram index).
  PreparedCandidate(const PreparedRecords& records, const RecordIndex& index, const Count* grams,
                    int32_t record)
      : records_(records), index_(index), grams_(grams), record_(record) {}

  int32_t length() const { return records_.candidate_length(record_); }
  int32_t stored() const { return index_.stored_lengths[record_]; }
  // Its bytes that are not blank, or fewer: the reference bytes its q-grams cover.
  int32_t most_matched() const {
    const int32_t counted = records_.counted(record_);
    return grams_ == nullptr ? counted : std::min(counted, grams_->covered(record_));
  }
  const ByteCounts& counts() const { return records_.counts(record_); }
  const GramFilter& grams() const { return records_.grams(record_); }
  // From the window bits made beforehand, else from the candidate's bytes.
  Coverage coverage(const uint64_t* grams, bool runs) const {
    if (const uint16_t* bits = records_.window_bits(record_))
      return window_coverage(bits, length(), grams, runs);
    return item_coverage(records_.candidate(record_), grams, runs);
  }

 private:
  const PreparedRecords& records_;
  const RecordIndex& index_;
  const Count* grams_;
  const int32_t record_;
};

using RowCandidate = PreparedCandidate<GramIndex>;

}  // namespace vexaro
