// SPDX-License-Identifier: MIT
// The record index: where each record starts in the input, its stored length,
// and its bytes, kept in memory so the ordering never reads the input again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/settings.h"

namespace vexaro {

class ByteSource;
class TextSink;

// Statistics gathered by the scan and read by the scorers.
struct RecordStats {
  uint8_t min_byte = 255;         // smallest byte seen (by the scan's own update rule)
  uint8_t max_byte = 0;           // largest byte seen
  int32_t record_count = 0;       // number of records
  int64_t stored_bytes = 0;       // sum of the stored lengths: past 2^31 with many records
  int32_t twice_mean_length = 0;  // twice the truncated mean stored length
};

struct RecordIndex {
  std::vector<uint64_t> offsets;        // start offset of each record in the input
  std::vector<int16_t> stored_lengths;  // stored length, 1 to 2000
  std::vector<uint32_t> starts;         // where each record's bytes begin in `bytes`
  std::vector<uint8_t> bytes;           // every record's bytes, each followed by a zero
  RecordStats stats;

  int32_t size() const { return stats.record_count; }
  // The record's stored bytes followed by a zero byte: an item.
  const uint8_t* item(int32_t record) const { return bytes.data() + starts[record]; }
  // Stores a record of `length` bytes (1 to 2000) that starts at `offset`
  // in the input, and counts it.
  void append(uint64_t offset, const uint8_t* record, int32_t length);
  // After the last record: twice the truncated mean length.
  void measure_mean();
};

// Takes bytes of a record into min_byte and max_byte by the scan's own rule.
void count_bytes(const Settings& settings, RecordStats& stats, const uint8_t* bytes, size_t count);

enum class ScanStatus { ok, read_error };

// Reads the whole input once and indexes its records, at most
// `record_limit` of them (1 to kLargestRecordLimit), writing the running
// count, warnings and the summary line to `diagnostics`.
ScanStatus scan_records(const Settings& settings, ByteSource& input, TextSink& diagnostics,
                        RecordIndex& index, int32_t record_limit = kMaxRecords);

// Indexes records that are already cut, as the scan stores them: at most the
// first 2000 bytes of each are kept, every given byte counts in the byte
// statistics, and offsets are those of the records written one after the
// other, each followed by one delimiter byte. Each record must hold at least
// one byte and no zero byte, and there may be at most kLargestRecordLimit
// of them.
RecordIndex index_records(const Settings& settings, const std::vector<std::string>& records);

}  // namespace vexaro
