#include "engine/prepared_records.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "engine/grams.h"

namespace vexaro {

std::vector<int32_t> PreparedRecords::by_candidate_length() const {
  std::vector<int32_t> records(candidate_at_.size());
  std::iota(records.begin(), records.end(), 0);
  std::stable_sort(records.begin(), records.end(),
                   [&](int32_t a, int32_t b) { return candidate_length(a) < candidate_length(b); });
  return records;
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
  PreparedItem prepared;
  std::vector<uint8_t> rewritten(kMaxRecordLength + 1);
  for (int32_t record = 0; record < count; ++record) {
    const uint8_t* item = index.item(record);
    prepared.length = prepare_item(settings, working_start(settings, item), prepared.bytes.data());
    candidate_at_[record] = store(prepared.bytes.data(), prepared.length);
    if (signed_records) add_signature(settings, record);

    rewrite_control_bytes(item, rewritten.data());
    const ItemView candidate = this->candidate(record);
    prepared.length =
        prepare_item(settings, working_start(settings, rewritten.data()), prepared.bytes.data());
    const bool same = prepared.length == candidate.length &&
                      std::memcmp(prepared.bytes.data(), candidate.bytes, candidate.length) == 0;
    reference_at_[record] =
        same ? candidate_at_[record] : store(prepared.bytes.data(), prepared.length);
  }
}

void PreparedRecords::add_signature(const Settings& settings, int32_t record) {
  const ItemView item = candidate(record);
  const Signature signature = sign(settings, item);
  counted_[record] = signature.counted;
  counts_[record] = signature.counts;
  if (!grams_.empty()) grams_[record] = signature.grams;
  window_bits_at_[record] = static_cast<uint32_t>(window_bits_.size());
  if (!pieces_hold_grams(settings)) return;
  for_each_window(item, [&](int32_t start, bool clean) {
    window_bits_.push_back(clean ? static_cast<uint16_t>(gram_bit(item.bytes + start)) : kNoBit);
  });
}

PreparedRecords::Place PreparedRecords::store(const uint8_t* prepared, int32_t length) {
  const Place place{static_cast<uint32_t>(arena_.size()), length};
  arena_.insert(arena_.end(), prepared, prepared + length + 1);
  return place;
}

}  // namespace vexaro
