#include "gram_index.h"

#include <algorithm>

#include "similarity.h"

namespace vexaro {
uint32_t GramIndex::key(const uint8_t* bytes) const {
  uint32_t k = 0;
  for (int32_t i = 0; i < q_; ++i) k = (k << 8) | bytes[i];
  return k;
}

GramIndex::GramIndex(const PreparedRecords& records, int32_t count, int32_t q)
    : q_(q), record_begin_(count + 1), retired_(count), masks_(count), touched_(count) {
  // Each record's distinct grams, by key for now.
  std::vector<uint32_t> record_keys;
  for (int32_t record = 0; record < count; ++record) {
    record_begin_[record] = static_cast<uint32_t>(record_keys.size());
    const ItemView item = records.candidate(record);
    for_each_window(item, q_, [&](int32_t start, bool clean) {
      if (clean) record_keys.push_back(key(item.bytes + start));
    });
    auto first = record_keys.begin() + record_begin_[record];
    std::sort(first, record_keys.end());
    record_keys.erase(std::unique(first, record_keys.end()), record_keys.end());
  }
  record_begin_[count] = static_cast<uint32_t>(record_keys.size());

  keys_ = record_keys;
  std::sort(keys_.begin(), keys_.end());
  keys_.erase(std::unique(keys_.begin(), keys_.end()), keys_.end());
  record_grams_.resize(record_keys.size());
  live_.assign(keys_.size(), 0);
  for (size_t i = 0; i < record_keys.size(); ++i) {
    record_grams_[i] = find(record_keys[i]);
    ++live_[record_grams_[i]];
  }

  // The most frequent grams are the ones rows take as common: note for
  // every record which of them it holds, one bit each.
  std::vector<int32_t> by_count(keys_.size());
  for (size_t id = 0; id < keys_.size(); ++id) by_count[id] = static_cast<int32_t>(id);
  const size_t ranked = std::min<size_t>(kRanked, keys_.size());
  std::partial_sort(by_count.begin(), by_count.begin() + ranked, by_count.end(),
                    [&](int32_t a, int32_t b) { return live_[a] > live_[b]; });
  rank_.assign(keys_.size(), -1);
  for (size_t r = 0; r < ranked; ++r) rank_[by_count[r]] = static_cast<int32_t>(r);
  frequent_held_.assign(count, 0);
  for (int32_t record = 0; record < count; ++record) {
    for (uint32_t i = record_begin_[record]; i < record_begin_[record + 1]; ++i) {
      if (const int32_t r = rank_[record_grams_[i]]; r >= 0)
        frequent_held_[record] |= uint64_t{1} << r;
    }
  }

  posting_begin_.resize(keys_.size() + 1);
  for (size_t id = 0, at = 0; id < keys_.size(); ++id) {
    posting_begin_[id] = static_cast<uint32_t>(at);
    at += live_[id];
  }
  posting_begin_[keys_.size()] = static_cast<uint32_t>(record_keys.size());
  posting_end_.assign(posting_begin_.begin(), posting_begin_.end() - 1);
  postings_.resize(record_keys.size());
  for (int32_t record = 0; record < count; ++record) {
    for (uint32_t i = record_begin_[record]; i < record_begin_[record + 1]; ++i) {
      postings_[posting_end_[record_grams_[i]]++] = record;
    }
  }
}

int32_t GramIndex::find(uint32_t k) const {
  auto it = std::lower_bound(keys_.begin(), keys_.end(), k);
  return it != keys_.end() && *it == k ? static_cast<int32_t>(it - keys_.begin()) : -1;
}

void GramIndex::retire(int32_t record) {
  retired_[record] = 1;
  for (uint32_t i = record_begin_[record]; i < record_begin_[record + 1]; ++i) {
    --live_[record_grams_[i]];
  }
}

bool GramIndex::start_row(ItemView reference, int32_t frequent) {
  common_ = {};
  common_windows_.clear();
  const int32_t windows = std::max(reference.length - q_ + 1, 0);
  if (windows > kMaskWords * 64) return false;
  row_words_ = (windows + 63) / 64;
  windows_.clear();
  for_each_window(reference, q_, [&](int32_t start, bool clean) {
    if (clean) windows_.emplace_back(key(reference.bytes + start), start);
  });
  std::sort(windows_.begin(), windows_.end());
  for (size_t first = 0; first < windows_.size();) {
    WindowMask mask{};
    size_t last = first;
    for (; last < windows_.size() && windows_[last].first == windows_[first].first; ++last) {
      const int32_t w = windows_[last].second;
      mask[w >> 6] |= uint64_t{1} << (w & 63);
    }
    const int32_t id = find(windows_[first].first);
    const size_t last_first = first;
    first = last;
    if (id < 0 || live_[id] == 0) continue;
    if (live_[id] > frequent) {
      for (int k = 0; k < kMaskWords; ++k) common_[k] |= mask[k];
      for (size_t i = last_first; i < first; ++i) {
        common_windows_.push_back({windows_[i].second, rank_[id]});
      }
      continue;
    }
    // Walk the postings, dropping retired records for good on the way.
    uint32_t kept = posting_begin_[id];
    for (uint32_t i = posting_begin_[id]; i < posting_end_[id]; ++i) {
      const int32_t record = postings_[i];
      if (retired_[record]) continue;
      postings_[kept++] = record;
      if (!touched_[record]) {
        touched_[record] = 1;
        touched_list_.push_back(record);
        masks_[record] = mask;
      } else {
        for (int k = 0; k < kMaskWords; ++k) masks_[record][k] |= mask[k];
      }
    }
    posting_end_[id] = kept;
  }
  return true;
}

void GramIndex::end_row() {
  for (int32_t record : touched_list_) touched_[record] = 0;
  touched_list_.clear();
}

int32_t GramIndex::covered_bytes(const WindowMask& mask) const {
  // A window at w covers bytes w .. w+q-1: spread each bit q-1 places up.
  int32_t covered = 0;
  uint64_t carry = 0;
  for (int k = 0; k <= row_words_; ++k) {
    const uint64_t word = k < row_words_ ? mask[k] : 0;
    uint64_t spread = word;
    uint64_t next_carry = 0;
    for (int32_t s = 1; s < q_; ++s) {
      spread |= word << s;
      next_carry |= word >> (64 - s);
    }
    covered += __builtin_popcountll(spread | carry);
    carry = next_carry;
  }
  return covered;
}

int32_t GramIndex::longest_run(const WindowMask& mask) const {
  int32_t longest = 0, run = 0, reach = 0;
  for (int32_t w = 0; w < row_words_ * 64; ++w) {
    if (((mask[w >> 6] >> (w & 63)) & 1) == 0) continue;
    run = w > reach ? q_ : run + (w + q_ - std::max(w, reach));
    reach = w + q_;
    longest = std::max(longest, run);
  }
  return longest;
}

}  // namespace vexaro
