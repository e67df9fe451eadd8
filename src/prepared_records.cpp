#include "prepared_records.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "ordering.h"
#include "similarity.h"

namespace vexaro {

int32_t gram_length(const Settings& settings) {
  if (settings.MINSCAN < 2) return 0;
  return settings.MINSCAN < 3 ? settings.MINSCAN : 3;
}

std::vector<int32_t> PreparedRecords::by_candidate_length() const {
  std::vector<int32_t> records(candidate_at_.size());
  std::iota(records.begin(), records.end(), 0);
  std::stable_sort(records.begin(), records.end(),
                   [&](int32_t a, int32_t b) { return candidate_length(a) < candidate_length(b); });
  return records;
}

Signature sign(const Settings& settings, ItemView item) {
  Signature s;
  for (int32_t i = 0; i < item.length; ++i) {
    const uint8_t b = item.bytes[i];
    if (b == kBlank) continue;
    ++s.counts.histogram[b & 31];
    ++s.counted;
  }
  const int32_t q = gram_length(settings);
  if (q == 0) return s;
  for_each_window(item, q, [&](int32_t start, bool clean) {
    if (!clean) return;
    const uint32_t bit = gram_bit(item.bytes + start, q);
    s.grams.bits[bit >> 6] |= uint64_t{1} << (bit & 63);
  });
  return s;
}

PreparedRecords::PreparedRecords(const Settings& settings, const RecordIndex& index) {
  const int32_t count = index.size();
  reference_at_.resize(count);
  candidate_at_.resize(count);
  // Under -b no bound reads the signatures.
  const bool signed_records = !settings.bytdif;
  if (signed_records) {
    counted_.resize(count);
    counts_.resize(count);
    // Only single mode reads a candidate's own q-gram filter.
    if (settings.single) grams_.resize(count);
    window_bits_at_.resize(count);
  }
  const int32_t q = gram_length(settings);
  std::vector<uint8_t> rewritten(kMaxRecordLength + 1), prepared(kMaxPrepared + 3);
  for (int32_t record = 0; record < count; ++record) {
    const int32_t length =
        prepare_item(settings, working_start(settings, index.item(record)), prepared.data());
    candidate_at_[record] = store(prepared.data(), length);
    if (signed_records) add_signature(settings, record, q);

    rewrite_control_bytes(index.item(record), rewritten.data());
    const int32_t ref_length =
        prepare_item(settings, working_start(settings, rewritten.data()), prepared.data());
    const bool same = ref_length == length &&
                      std::memcmp(prepared.data(), this->candidate(record).bytes, length) == 0;
    reference_at_[record] = same ? candidate_at_[record] : store(prepared.data(), ref_length);
  }
}

void PreparedRecords::add_signature(const Settings& settings, int32_t record, int32_t q) {
  const ItemView item = candidate(record);
  const Signature signature = sign(settings, item);
  counted_[record] = signature.counted;
  counts_[record] = signature.counts;
  if (!grams_.empty()) grams_[record] = signature.grams;
  window_bits_at_[record] = static_cast<uint32_t>(window_bits_.size());
  if (q == 0) return;
  for_each_window(item, q, [&](int32_t start, bool clean) {
    window_bits_.push_back(clean ? static_cast<uint16_t>(gram_bit(item.bytes + start, q)) : kNoBit);
  });
}

PreparedRecords::Place PreparedRecords::store(const uint8_t* prepared, int32_t length) {
  const Place place{static_cast<uint32_t>(arena_.size()), length};
  arena_.insert(arena_.end(), prepared, prepared + length + 1);
  return place;
}

}  // namespace vexaro
