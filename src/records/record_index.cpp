// SPDX-License-Identifier: MIT
#include "records/record_index.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "common/check.h"
#include "records/pseudo_records.h"
#include "records/streams.h"

namespace vexaro {
namespace {

// Reads the input in large blocks and hands it out a byte at a time, keeping
// the absolute position that record offsets are taken from.
class BlockReader {
 public:
  explicit BlockReader(ByteSource& source) : source_(source) {}

  static constexpr int kEnd = -1;
  static constexpr int kError = -2;

  int next() {
    int b = peek();
    if (b >= 0) {
      ++cursor_;
      ++position_;
    }
    return b;
  }

  int peek() {
    if (cursor_ == filled_ && !refill()) return failed_ ? kError : kEnd;
    return block_[cursor_];
  }

  bool skip(uint64_t count) {
    uint64_t buffered = std::min<uint64_t>(count, filled_ - cursor_);
    cursor_ += buffered;
    position_ += count;
    if (count > buffered && !source_.skip(count - buffered)) failed_ = true;
    return !failed_;
  }

  uint64_t position() const { return position_; }
  bool failed() const { return failed_; }

 private:
  bool refill() {
    if (failed_) return false;
    long got = source_.read(block_.data(), block_.size());
    if (got < 0) failed_ = true;
    cursor_ = 0;
    filled_ = got > 0 ? static_cast<size_t>(got) : 0;
    return filled_ > 0;
  }

  ByteSource& source_;
  std::array<uint8_t, 1 << 16> block_{};
  size_t cursor_ = 0;
  size_t filled_ = 0;
  uint64_t position_ = 0;
  bool failed_ = false;
};

// The byte statistics' update rule: a byte that raises the maximum is not
// tested against the minimum.
void count_byte(const Settings& s, RecordStats& stats, uint8_t b) {
  if (b > stats.max_byte && b <= s.range_high) {
    stats.max_byte = b;
  } else if (b < stats.min_byte && b >= s.range_low) {
    stats.min_byte = b;
  }
}

enum class Ending { end_of_input, delimiter, limit, error };

struct RawRecord {
  uint64_t offset = 0;
  int32_t accepted = 0;
  int32_t carriage_return = 0;  // accepted count before the last CR
  uint8_t delimiter = 0;
  Ending ending = Ending::end_of_input;
  std::array<uint8_t, kMaxRecordLength> head{};  // the first accepted bytes
};

void read_record(const Settings& s, BlockReader& reader, int32_t limit, RawRecord& record,
                 RecordStats& stats) {
  record.accepted = 0;
  record.carriage_return = 0;
  while (record.accepted < limit) {
    int b = reader.next();
    if (b == BlockReader::kError) {
      record.ending = Ending::error;
      return;
    }
    if (b == BlockReader::kEnd) {
      record.ending = Ending::end_of_input;
      return;
    }
    uint8_t byte = static_cast<uint8_t>(b);
    if (s.is_delimiter(byte)) {
      record.delimiter = byte;
      record.ending = Ending::delimiter;
      return;
    }
    if (byte == 13) record.carriage_return = record.accepted;
    if (record.accepted < kMaxRecordLength) record.head[record.accepted] = byte;
    ++record.accepted;
    count_byte(s, stats, byte);
  }
  record.ending = Ending::limit;
}

void write_count(TextSink& diagnostics, int32_t count) {
  char text[32];
  std::snprintf(text, sizeof text, "\r%6d", count);
  diagnostics.write(text);
}

// Stores a record that ended with at least one accepted byte.
void store_record(const Settings& s, BlockReader& reader, const RawRecord& record,
                  TextSink& diagnostics, RecordIndex& index) {
  const bool at_end = record.ending == Ending::end_of_input;
  int32_t length = record.accepted;
  if (s.delimiters_given && !at_end) {
    length = record.accepted + 1;  // the byte that ended the record belongs to it
  } else if (!s.delimiters_given && !s.pseudo_records() && record.carriage_return > 0) {
    length = record.carriage_return;
  }
  if (length > kMaxRecordLength) {
    char text[64];
    std::snprintf(text, sizeof text, "\t**WARNING, linelength %d truncated.**", length);
    diagnostics.write(text);
    length = kMaxRecordLength;
  }
  std::array<uint8_t, kMaxRecordLength> bytes;
  std::copy_n(record.head.begin(), std::min(length, record.accepted), bytes.begin());
  if (length > record.accepted) {
    // The ending byte is the delimiter, or the first byte of what follows a
    // full-length chunk; a record never reaches past the end of the input.
    int next = record.ending == Ending::delimiter ? record.delimiter : reader.peek();
    if (next >= 0) {
      bytes[record.accepted] = static_cast<uint8_t>(next);
    } else {
      length = record.accepted;
    }
  }
  index.append(record.offset, bytes.data(), length);
  write_count(diagnostics, index.stats.record_count);
}

void write_limit_warning(TextSink& diagnostics, int32_t record_limit) {
  char text[160];
  std::snprintf(text, sizeof text,
                "\t**WARNING, more than %d records: the rest of the input is ignored."
                " Set VEXARO_MAX_RECORDS to take more.**",
                static_cast<int>(record_limit));
  diagnostics.write(text);
}

void write_summary(const RecordIndex& index, TextSink& diagnostics) {
  char text[128];
  std::snprintf(text, sizeof text,
                " Lines to process.(= %lu bytes)\n------------------------------------------\n",
                static_cast<unsigned long>(index.stats.stored_bytes));
  diagnostics.write(text);
}

}  // namespace

ScanStatus scan_records(const Settings& s, ByteSource& input, TextSink& diagnostics,
                        RecordIndex& index, int32_t record_limit) {
  VEXARO_ASSERT(record_limit >= 1 && record_limit <= kLargestRecordLimit);
  index = RecordIndex{};
  BlockReader reader(input);
  ChunkSampler sampler(s);
  RawRecord record;
  while (index.stats.record_count < record_limit) {
    record.offset = reader.position();
    int32_t limit = kReadLimit;
    if (s.pseudo_records()) {
      Chunk chunk = sampler.next_chunk();
      if (!chunk.taken) {
        if (!reader.skip(static_cast<uint64_t>(chunk.length))) return ScanStatus::read_error;
        continue;
      }
      limit = chunk.length;
    }
    read_record(s, reader, limit, record, index.stats);
    if (record.ending == Ending::error) return ScanStatus::read_error;
    // A chunk cut short by the end of the input is not a pseudo record.
    if (record.ending == Ending::end_of_input && s.pseudo_records()) break;
    if (record.accepted > 0) store_record(s, reader, record, diagnostics, index);
    if (record.ending == Ending::end_of_input) break;
  }
  if (index.stats.record_count == record_limit && reader.peek() >= 0)
    write_limit_warning(diagnostics, record_limit);
  if (reader.failed()) return ScanStatus::read_error;
  write_summary(index, diagnostics);
  index.measure_mean();
  return ScanStatus::ok;
}

void RecordIndex::append(uint64_t offset, const uint8_t* record, int32_t length) {
  // Below kLargestRecordLimit records of 2000 bytes, every start fits.
  VEXARO_ASSERT(bytes.size() + length < UINT32_MAX);
  starts.push_back(static_cast<uint32_t>(bytes.size()));
  bytes.insert(bytes.end(), record, record + length);
  bytes.push_back(0);
  offsets.push_back(offset);
  stored_lengths.push_back(static_cast<int16_t>(length));
  stats.stored_bytes += length;
  ++stats.record_count;
}

void RecordIndex::measure_mean() {
  if (stats.record_count > 0)
    stats.twice_mean_length = static_cast<int32_t>(stats.stored_bytes / stats.record_count) * 2;
}

void count_bytes(const Settings& s, RecordStats& stats, const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) count_byte(s, stats, bytes[i]);
}

RecordIndex index_records(const Settings& s, const std::vector<std::string>& records) {
  RecordIndex index;
  uint64_t offset = 0;
  for (const std::string& record : records) {
    count_bytes(s, index.stats, reinterpret_cast<const uint8_t*>(record.data()), record.size());
    const size_t length = std::min<size_t>(record.size(), kMaxRecordLength);
    index.append(offset, reinterpret_cast<const uint8_t*>(record.data()),
                 static_cast<int32_t>(length));
    offset += record.size() + 1;
  }
  index.measure_mean();
  return index;
}

}  // namespace vexaro
