#include "reference_scorer.h"

#include <algorithm>
#include <cstring>

#include "ordering.h"
#include "row_bounds.h"
#include "similarity.h"

namespace vexaro {
namespace {

// The record's stored bytes, zero-ended, in `out`; returns its stored length.
int32_t store(std::string_view record, uint8_t* out) {
  const size_t length = std::min<size_t>(record.size(), kMaxRecordLength);
  std::memcpy(out, record.data(), length);
  out[length] = 0;
  return static_cast<int32_t>(length);
}

// Per q-gram window of the item its filter bit, or kNoBit where it holds a
// blank; with q known, the hash of a window unrolls.
template <int q>
void filter_bits(ItemView item, uint16_t* bits) {
  for (int32_t start = 0; start + q <= item.length; ++start) {
    bool clean = true;
    for (int i = 0; i < q; ++i) clean &= item.bytes[start + i] != kBlank;
    bits[start] =
        clean ? static_cast<uint16_t>(gram_bit(item.bytes + start, q)) : PreparedRecords::kNoBit;
  }
}

}  // namespace

ReferenceScorer::ReferenceScorer(const Settings& settings, const RecordStats& stats,
                                 std::string_view reference, PairScorer::Use use)
    : settings_(settings),
      stats_(stats),
      gram_(gram_length(settings)),
      pair_(settings, stats_, use) {
  // prepare_item's filter and fold; a kept byte is never 0, as the
  // operating range starts at 1 at the lowest.
  bytewise_ = !settings.omitnr && !settings.metap;
  for (int b = std::max<int>(settings.minchar, 1); b <= settings.hichar; ++b) {
    const bool folded = !settings.casens && ((b >= 65 && b <= 90) || (b >= 192 && b <= 223));
    prepared_byte_[b] = static_cast<uint8_t>(folded ? b | 0x20 : b);
  }
  Sleni_ = store(reference, raw_.data());
  rewrite_control_bytes(raw_.data(), raw_.data());
  const int32_t length =
      prepare_item(settings, working_start(settings, raw_.data()), reference_.data());
  reference_view_ = {reference_.data(), length};
  signature_ = sign(settings, reference_view_);
  const auto& bits = signature_.grams.bits;
  std::copy(bits.begin(), bits.end(), reference_grams_.begin());
}

// The candidate as the scorer compares it: from its working start, cut to
// the stored length, prepared.
ItemView ReferenceScorer::prepare_candidate(std::string_view candidate) {
  if (!bytewise_) {
    store(candidate, raw_.data());
    return {candidate_.data(),
            prepare_item(settings_, working_start(settings_, raw_.data()), candidate_.data())};
  }
  // working_start on the record itself, which holds no zero byte.
  std::string_view text = candidate.substr(0, kMaxRecordLength);
  text.remove_prefix(std::min<size_t>(std::max(settings_.offs, 0), text.size()));
  if (settings_.startchar != 0) {
    if (const size_t at = text.find(static_cast<char>(settings_.startchar));
        at != std::string_view::npos) {
      text.remove_prefix(at + 1);
    }
  }
  // Every byte is written and the count moves past the kept ones only: a
  // test per byte would be mispredicted at every blank.
  int32_t length = 0;
  for (const char c : text) {
    const uint8_t byte = prepared_byte_[static_cast<uint8_t>(c)];
    candidate_[length] = byte;
    length += byte != 0;
  }
  candidate_[length] = 0;
  return {candidate_.data(), length};
}

int32_t ReferenceScorer::score(std::string_view candidate, int32_t cutoff) {
  const int32_t Slenj = static_cast<int32_t>(std::min<size_t>(candidate.size(), kMaxRecordLength));
  const ItemView item = prepare_candidate(candidate);
  // Under -b the byte-difference measure decides, -a9999 or not.
  if (settings_.bytdif) return pair_.score(reference_view_, item, Sleni_, Slenj, cutoff);
  if (settings_.single) {
    return single_score(stats_, pair_.single_hit(reference_view_, item).length);
  }
  // Common-substring scores are never negative: a lower cutoff bounds nothing.
  if (cutoff >= 0 && cannot_beat(item, Slenj, cutoff)) return cutoff;
  return pair_.score(reference_view_, item, Sleni_, Slenj, cutoff);
}

// The row bounds' tests for one candidate: its length, then the bytes of
// it that q-grams of the reference cover, or without q-grams the bytes the
// two share by value.
bool ReferenceScorer::cannot_beat(ItemView candidate, int32_t Slenj, int32_t cutoff) {
  const int32_t LB = std::max({reference_view_.length, candidate.length, 1});
  const int32_t LA = std::max(std::min(reference_view_.length, candidate.length), 1);
  auto cannot = [&](Coverage c) {
    return coverage_cannot_beat(settings_, stats_, c, LA, LB, Sleni_, Slenj, cutoff);
  };
  const int32_t most = std::min(signature_.counted, candidate.length);
  if (cannot({most, most})) return true;
  if (gram_ == 0) {
    const Signature other = sign(settings_, candidate);
    int32_t shared = 0;
    for (int k = 0; k < ByteCounts::kBuckets; ++k) {
      shared += std::min(signature_.counts.histogram[k], other.counts.histogram[k]);
    }
    return cannot({shared, shared});
  }
  if (gram_ == 3) {
    filter_bits<3>(candidate, window_bits_.data());
  } else {
    filter_bits<2>(candidate, window_bits_.data());
  }
  Coverage c = window_coverage(window_bits_.data(), candidate.length, gram_,
                               reference_grams_.data(), settings_.adapt != 0);
  c.covered = std::min(c.covered, most);
  c.longest = std::min(c.longest, c.covered);
  return cannot(c);
}

}  // namespace vexaro
