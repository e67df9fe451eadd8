// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "scoring/item.h"
#include "scoring/literal_scorer.h"
#include "scoring/score_formula.h"

namespace vexaro {
namespace {

const uint8_t* bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.c_str()); }

struct Options {
  int32_t shortest_piece = 3;
  bool case_sensitive = false;
  bool phonetic_keys = false;
  bool position_weighting = false;
  bool length_correlation = false;
  bool byte_difference = false;
  uint32_t length_divisor = 0;
  std::vector<std::string> omit = {};
};

Settings make_settings(const Options& o) {
  Settings s;
  s.shortest_piece = o.shortest_piece;
  s.case_sensitive = o.case_sensitive || o.phonetic_keys;
  s.phonetic_keys = o.phonetic_keys;
  s.position_weighting = o.position_weighting;
  s.length_correlation = o.length_correlation;
  s.byte_difference = o.byte_difference;
  s.length_divisor = o.length_divisor;
  s.omit_in_use = !o.omit.empty();
  for (size_t k = 0; k < o.omit.size(); ++k) {
    std::snprintf(s.omit_strings[k].data(), kOmitSlotBytes, "%s", o.omit[k].c_str());
  }
  return s;
}

const Options kMetaphone{.shortest_piece = 1, .phonetic_keys = true};

TEST(Simdiff, Scores) {
  const struct {
    std::string searched, pattern;
    uint8_t min_byte, max_byte;
    int32_t score;
  } cases[] = {
      {"cat", "cat", 97, 122, 1000}, {"cat", "car", 97, 122, 973}, {"cats", "cat", 97, 122, 750},
      {"dogs", "do", 97, 122, 500},  {"zzz", "aaa", 97, 122, 0},   {"a", "\x01", 97, 122, -2840},
      {"abc", "abd", 255, 99, 999},  {"abcd", "ab", 255, 99, 500}, {"aaa", "a", 97, 97, 1000},
      {"b", "a", 97, 97, 0},         {"b", "a", 255, 0, 999},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(byte_difference_score(bytes(c.searched), bytes(c.pattern), c.searched.size(),
                                    c.pattern.size(), c.min_byte, c.max_byte),
              c.score)
        << c.searched << " / " << c.pattern;
  }
}

TEST(PrepareItem, FiltersFoldsOmitsAndEncodes) {
  const struct {
    Options options;
    std::string raw, prepared;
  } cases[] = {
      {{}, "Hello World", "helloworld"},
      {{}, "A[Z@\x7F", "a[z\x7F"},
      {{}, "\xBF\xC0\xD7\xDF\xE0", "\xBF\xE0\xF7\xFF\xE0"},
      {{.case_sensitive = true}, "ABC", "ABC"},
      {{.omit = {"xyz"}},
       "abcXYZdef",
       "abc\x01\x01\x01"
       "def"},
      {{.omit = {"XYZ"}}, "abcXYZdef", "abcxyzdef"},
      {{.omit = {"ab"}}, "abxab", "\x01\x01xab"},
      {{.omit = {"", "ab"}}, "abxab", "abxab"},
      {{.omit = {"ab", "\x01\x01x"}},
       "abxab",
       "\x01\x01\x01"
       "ab"},
      {{}, "12 ,;", ""},
      {kMetaphone, "Thomas", "0M"},
      {kMetaphone, "New York", "NYRK"},
      {kMetaphone, "1234", ""},
  };
  for (const auto& c : cases) {
    const Settings s = make_settings(c.options);
    std::array<uint8_t, kPreparedRoom> out{};
    EXPECT_EQ(prepare_item(item_rules_of(s), bytes(c.raw), out.data()),
              static_cast<int32_t>(c.prepared.size()));
    EXPECT_EQ(reinterpret_cast<const char*>(out.data()), c.prepared) << c.raw;
  }
}

TEST(Startlen, DoublingProbe) {
  const struct {
    std::string searched, pattern;
    int32_t shortest_piece, start;
  } cases[] = {
      {"abcdefghijkl", "abcdefghijkl", 3, 11},  // the doubling lands on n
      {"abcdefghijklm", "abcdefghijklm", 3, 13},
      {std::string(24, 'q'), std::string(24, 'q'), 3, 23},
      {"helloworld", "helloword", 3, 9},
      {"worldhello", "helloworld", 3, 5},
      {"abcdefghi", "xyzuvwrst", 3, 2},  // the first probe fails
      {"abcd", "abcd", 1, 3},
      {"ab", "ab", 3, 2},
  };
  for (const auto& c : cases) {
    std::string pattern = c.pattern;
    auto* p = reinterpret_cast<uint8_t*>(pattern.data());
    EXPECT_EQ(start_length(pattern.size(), bytes(c.searched), p, c.shortest_piece), c.start)
        << c.pattern;
    EXPECT_EQ(pattern, c.pattern);
  }
}

TEST(Simlin, CommonSubstringScores) {
  const Options position_weighting{.position_weighting = true};
  const Options omit_xyz{.omit = {"xyz"}};
  const struct {
    Options options;
    std::string reference, candidate;
    int32_t score;
  } cases[] = {
      {{}, "abcdefghijkl", "abcdefghijkl", 916},
      {{}, "abcdefghijklm", "abcdefghijklm", 1000},
      {{}, "abcdefghijklmnopqrstuvwx", "abcdefghijklmnopqrstuvwx", 958},
      {{.shortest_piece = 1, .case_sensitive = true}, "abcd", "abcd", 1000},
      {kMetaphone, "frank", "frank", 1000},
      {{}, "ab", "ab", 0},
      {{}, "abc", "abc", 1000},
      {{}, "ABC", "abc", 1000},
      {{.case_sensitive = true}, "ABC", "abc", 0},
      {{},
       "ab\xC0"
       "cd",
       "ab\xE0"
       "cd",
       1000},
      {{}, "", "abc", 0},
      {{}, "", "", 0},
      {{}, "Hello World", "hello word", 842},
      {position_weighting, "Hello World", "hello word", 842},
      {{.length_divisor = 9}, "Hello World", "hello word", 1684},
      {{.position_weighting = true, .length_divisor = 9}, "Hello World", "hello word", 1263},
      {{.length_correlation = true}, "Hello World", "hello word", 884},
      {{}, "worldhello", "helloworld", 1000},
      {position_weighting, "worldhello", "helloworld", 100},
      {{}, "abc", "xxabcxx", 600},
      {{}, "accaabac", "baccccac", 750},  // on equal lengths the reference is searched
      {{}, "baccccac", "accaabac", 375},
      {position_weighting, "abc", "abcxxxx", 300},
      {position_weighting, "abcxxxx", "abc", 300},
      {omit_xyz, "abcXYZdef", "abcXYZdef", 666},
      {{.omit = {"XYZ"}}, "abcXYZdef", "abcXYZdef", 1000},
      {kMetaphone, "ksxm", "kxkx", 727},
      {kMetaphone, "kxkx", "ksxm", 727},
  };
  const RecordStats stats{.twice_mean_length = 20};
  for (const auto& c : cases) {
    const Settings s = make_settings(c.options);
    LiteralScorer scorer(s, stats);
    EXPECT_EQ(scorer.score(bytes(c.reference), bytes(c.candidate), 11, 10), c.score)
        << c.reference << " / " << c.candidate;
  }
}

TEST(Simlin, ByteDifferenceHandOver) {
  const Settings s = make_settings({.byte_difference = true});
  const RecordStats stats{.min_byte = 97, .max_byte = 122};
  LiteralScorer scorer(s, stats);
  EXPECT_EQ(scorer.score(bytes("cat"), bytes("cats"), 3, 4), 750);  // the longer goes first
  EXPECT_EQ(scorer.score(bytes("cats"), bytes("cat"), 4, 3), 750);
  EXPECT_EQ(scorer.score(bytes("a"), bytes("123"), 1, 3), -2840);  // empty becomes blank
  EXPECT_EQ(scorer.score(bytes(""), bytes(""), 1, 1), 1000);
}

TEST(Simlin, SingleModeKeepsTheRowsLongestSubstring) {
  Settings s = make_settings({});
  s.longest_substrings = true;
  RecordStats stats{.record_count = 10, .stored_bytes = 100};
  LiteralScorer scorer(s, stats);
  scorer.start_row();
  EXPECT_EQ(scorer.score(bytes("Hello World"), bytes("hello word"), 11, 10), 800);
  EXPECT_STREQ(scorer.longest_substring(), "hellowor");
  EXPECT_EQ(scorer.score(nullptr, bytes("jello"), 11, 5), 800);  // ello is shorter
  EXPECT_EQ(scorer.longest_length(), 8);
  EXPECT_EQ(scorer.score(nullptr, bytes("lloworld"), 11, 8), 800);  // a tie keeps the first
  EXPECT_STREQ(scorer.longest_substring(), "hellowor");
  EXPECT_EQ(scorer.score(nullptr, bytes("helloworlx"), 11, 10), 900);
  EXPECT_STREQ(scorer.longest_substring(), "helloworl");

  Settings with_b = s;  // the byte-difference measure wins and records nothing
  with_b.byte_difference = true;
  LiteralScorer bytewise(with_b, stats);
  bytewise.start_row();
  EXPECT_EQ(bytewise.score(bytes("Hello World"), bytes("helloworlx"), 11, 10), 999);
  EXPECT_EQ(bytewise.longest_length(), 0);

  scorer.start_row();
  EXPECT_STREQ(scorer.longest_substring(), "");
  EXPECT_EQ(scorer.score(bytes("abc"), bytes("xyz"), 3, 3), 0);
  stats.record_count = 0;  // a direct caller without records divides by nothing
  EXPECT_EQ(scorer.score(bytes("abc"), bytes("abc"), 3, 3), 0);
}

TEST(Simlin, LongestKeyFitsEveryBuffer) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "AX";  // keys to 2001 bytes
  Settings s = make_settings(kMetaphone);
  s.longest_substrings = true;
  const RecordStats stats{.record_count = 1, .stored_bytes = 2000};
  LiteralScorer scorer(s, stats);
  scorer.start_row();
  EXPECT_EQ(scorer.score(bytes(text), bytes(text), 2000, 2000), 1000);
  EXPECT_EQ(std::strlen(scorer.longest_substring()), 2001u);
  s.longest_substrings = false;
  EXPECT_EQ(scorer.score(bytes(text), bytes(text), 2000, 2000), 1000);
}

TEST(Simlin, RandomItemsReuseReferenceAndStayInRange) {
  const std::string alphabet = "abcAB xyz\x01\xC5";
  const Options variants[] = {{},
                              {.position_weighting = true},
                              {.shortest_piece = 1, .case_sensitive = true},
                              kMetaphone,
                              {.omit = {"ab", "x"}}};
  std::mt19937 random(11);
  auto item = [&] {
    std::string text;
    for (int i = random() % 16; i > 0; --i) text += alphabet[random() % alphabet.size()];
    return text;
  };
  const RecordStats stats{};
  for (const Options& options : variants) {
    const Settings s = make_settings(options);
    LiteralScorer scorer(s, stats);
    LiteralScorer other(s, stats);
    for (int round = 0; round < 400; ++round) {
      const std::string reference = item(), candidate = item(), distractor = item();
      const int32_t first = scorer.score(bytes(reference), bytes(candidate), 1, 1);
      EXPECT_GE(first, 0);
      EXPECT_LE(first, 1000);
      other.score(bytes(distractor), bytes(reference), 1, 1);
      EXPECT_EQ(scorer.score(nullptr, bytes(candidate), 1, 1), first)
          << reference << " / " << candidate;
      EXPECT_EQ(scorer.score(bytes(reference), bytes(candidate), 1, 1), first);
    }
  }
}

}  // namespace
}  // namespace vexaro
