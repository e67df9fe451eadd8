// An inverted index from q-grams to the candidates that hold them. A row
// walks the postings of its reference's grams once and so learns, for every
// candidate at once, which reference windows it shares: a cheap upper bound
// on what the two can have in common, since every q-gram of a counted piece
// occurs in both items.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "fast_scorer.h"
#include "prepared_records.h"

namespace vexaro {

class GramIndex {
 public:
  static constexpr int kMaskWords = 4;  // references of up to 256 windows
  using WindowMask = std::array<uint64_t, kMaskWords>;

  GramIndex(const PreparedRecords& records, int32_t count, int32_t q);

  // The record is now a reference: it is no candidate of any later row.
  void retire(int32_t record);

  // Walks the reference's grams. A gram that more than `frequent` live
  // candidates hold is taken as held by all, which keeps the walk short and
  // the bound valid. Returns false when the reference has more windows than
  // a mask holds; the index then tells nothing for this row.
  bool start_row(ItemView reference, int32_t frequent);
  void end_row();

  // The reference windows whose gram the candidate holds, or may hold.
  WindowMask shared(int32_t record) const {
    if (!touched_[record]) return common_;
    WindowMask mask = masks_[record];
    for (int k = 0; k < row_words_; ++k) mask[k] |= common_[k];
    return mask;
  }
  // The windows the candidate was found to share, without the common ones.
  WindowMask own(int32_t record) const { return touched_[record] ? masks_[record] : WindowMask{}; }
  // The windows whose grams are taken as held by every candidate.
  const WindowMask& common() const { return common_; }
  // The windows of `own(record)` together with the common windows the
  // candidate really holds; `filter_holds(window)` answers for the grams
  // that are not among the most frequent of all.
  template <class FilterHolds>
  WindowMask confirmed(int32_t record, FilterHolds&& filter_holds) const {
    WindowMask mask = own(record);
    const uint64_t frequent = frequent_held_[record];
    for (const CommonWindow& c : common_windows_) {
      const bool held = c.rank >= 0 ? ((frequent >> c.rank) & 1) != 0 : filter_holds(c.window);
      if (held) mask[c.window >> 6] |= uint64_t{1} << (c.window & 63);
    }
    return mask;
  }
  // Bytes of the reference that the windows of `mask` cover, and the
  // longest run of them.
  int32_t covered_bytes(const WindowMask& mask) const;
  int32_t longest_run(const WindowMask& mask) const;

 private:
  uint32_t key(const uint8_t* bytes) const;
  int32_t find(uint32_t key) const;  // the gram's id, or -1

  struct CommonWindow {
    int32_t window;
    int32_t rank;  // among the most frequent grams, or -1
  };
  static constexpr int kRanked = 64;  // grams whose presence each record notes in a word

  int32_t q_;
  std::vector<int32_t> rank_;            // per id: its place among the most frequent, or -1
  std::vector<uint64_t> frequent_held_;  // per record: which of the most frequent it holds
  std::vector<CommonWindow> common_windows_;
  std::vector<uint32_t> keys_;           // every gram, sorted; its index is its id
  std::vector<uint32_t> posting_begin_;  // per id: where its records start
  std::vector<uint32_t> posting_end_;    // per id: end of its live records so far
  std::vector<int32_t> postings_;        // records holding each gram
  std::vector<int32_t> live_;            // per id: live records holding it
  std::vector<uint32_t> record_begin_;   // per record: where its gram ids start
  std::vector<int32_t> record_grams_;    // each record's distinct gram ids
  std::vector<uint8_t> retired_;
  // Row state.
  std::vector<WindowMask> masks_;
  std::vector<uint8_t> touched_;
  std::vector<int32_t> touched_list_;
  WindowMask common_{};
  int32_t row_words_ = 0;                              // mask words the row's windows use
  std::vector<std::pair<uint32_t, int32_t>> windows_;  // (key, window start) of the reference
};

}  // namespace vexaro
