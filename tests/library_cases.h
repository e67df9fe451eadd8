// SPDX-License-Identifier: MIT
// What the library's differential tests share: the option sets that reach
// every measure and preparation rule, and lists of records that make the
// scorers' hard cases common.
#pragma once

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace vexaro::testing {

inline const std::vector<std::vector<std::string>> kOptionSets = {
    {},
    {"-p"},
    {"-a"},
    {"-p", "-a"},
    {"-a1"},
    {"-f"},
    {"-p", "-a3", "-f"},
    {"-m"},
    {"-m", "-p", "-a"},
    {"-b"},
    {"-a9999"},
    {"-a9999", "-m"},
    {"-a9999", "-b"},
    {"-v"},
    {"-oab;ba"},
    {"-w32"},
    {"-s2", "-n"},
    {"-cb", "-f"},
};

// Records from few letters, so that long common pieces, repeats and ties
// abound, with capitals, control bytes, bytes above 127 and the blank byte;
// one in three is a near-duplicate of an earlier one. A few are long, one
// of them past the 2000 bytes that count.
inline std::vector<std::string> random_records(std::mt19937& rng, size_t count, size_t longest) {
  static const std::string alphabet = "abcAB -x\t\x01\xc4\xe4";
  std::vector<std::string> records;
  while (records.size() < count) {
    std::string record;
    if (!records.empty() && rng() % 3 == 0) {
      record = records[rng() % records.size()];
      for (int edits = 1 + rng() % 3; edits > 0; --edits) {
        const size_t at = rng() % record.size();
        if (rng() % 2) record.erase(at, 1 + rng() % 3);
        record.insert(std::min(at, record.size()), 1, alphabet[rng() % alphabet.size()]);
      }
    } else {
      const size_t sizes[] = {1 + rng() % 12, 3 + rng() % 70, 100 + rng() % 300, longest};
      const size_t length = sizes[rng() % 16 == 0 ? 2 + rng() % 2 : rng() % 2];
      while (record.size() < length) {
        if (record.size() > 4 && rng() % 4 == 0) {
          record += record.substr(rng() % record.size(), 1 + rng() % 9);  // a repeat
        } else {
          record += alphabet[rng() % alphabet.size()];
        }
      }
      record.resize(length);
    }
    records.push_back(record);
  }
  return records;
}

}  // namespace vexaro::testing
