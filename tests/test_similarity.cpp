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
  int32_t MINSCAN = 3;
  bool casens = false;
  bool metap = false;
  bool posab = false;
  bool linlencor = false;
  bool bytdif = false;
  uint32_t adapt = 0;
  std::vector<std::string> omit = {};
};

Settings make_settings(const Options& o) {
  Settings s;
  s.MINSCAN = o.MINSCAN;
  s.casens = o.casens || o.metap;
  s.metap = o.metap;
  s.posab = o.posab;
  s.linlencor = o.linlencor;
  s.bytdif = o.bytdif;
  s.adapt = o.adapt;
  s.omitnr = !o.omit.empty();
  for (size_t k = 0; k < o.omit.size(); ++k) {
    std::snprintf(s.omtext[k].data(), kOmitSlotBytes, "%s", o.omit[k].c_str());
  }
  return s;
}

const Options kMetaphone{.MINSCAN = 1, .metap = true};

TEST(Simdiff, Scores) {
  const struct {
    std::string searched, pattern;
    uint8_t Minbyt, Maxbyt;
    int32_t score;
  } cases[] = {
      {"cat", "cat", 97, 122, 1000}, {"cat", "car", 97, 122, 973}, {"cats", "cat", 97, 122, 750},
      {"dogs", "do", 97, 122, 500},  {"zzz", "aaa", 97, 122, 0},   {"a", "\x01", 97, 122, -2840},
      {"abc", "abd", 255, 99, 999},  {"abcd", "ab", 255, 99, 500}, {"aaa", "a", 97, 97, 1000},
      {"b", "a", 97, 97, 0},         {"b", "a", 255, 0, 999},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(simdiff(bytes(c.searched), bytes(c.pattern), c.searched.size(), c.pattern.size(),
                      c.Minbyt, c.Maxbyt),
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
      {{.casens = true}, "ABC", "ABC"},
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
    std::array<uint8_t, kMaxPrepared + 3> out{};
    EXPECT_EQ(prepare_item(s, bytes(c.raw), out.data()), static_cast<int32_t>(c.prepared.size()));
    EXPECT_EQ(reinterpret_cast<const char*>(out.data()), c.prepared) << c.raw;
  }
}

TEST(Startlen, DoublingProbe) {
  const struct {
    std::string searched, pattern;
    int32_t MINSCAN, start;
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
    EXPECT_EQ(startlen(pattern.size(), bytes(c.searched), p, c.MINSCAN), c.start) << c.pattern;
    EXPECT_EQ(pattern, c.pattern);
  }
}

TEST(Simlin, CommonSubstringScores) {
  const Options posab{.posab = true};
  const Options omit_xyz{.omit = {"xyz"}};
  const struct {
    Options options;
    std::string reference, candidate;
    int32_t score;
  } cases[] = {
      {{}, "abcdefghijkl", "abcdefghijkl", 916},
      {{}, "abcdefghijklm", "abcdefghijklm", 1000},
      {{}, "abcdefghijklmnopqrstuvwx", "abcdefghijklmnopqrstuvwx", 958},
      {{.MINSCAN = 1, .casens = true}, "abcd", "abcd", 1000},
      {kMetaphone, "frank", "frank", 1000},
      {{}, "ab", "ab", 0},
      {{}, "abc", "abc", 1000},
      {{}, "ABC", "abc", 1000},
      {{.casens = true}, "ABC", "abc", 0},
      {{},
       "ab\xC0"
       "cd",
       "ab\xE0"
       "cd",
       1000},
      {{}, "", "abc", 0},
      {{}, "", "", 0},
      {{}, "Hello World", "hello word", 842},
      {posab, "Hello World", "hello word", 842},
      {{.adapt = 9}, "Hello World", "hello word", 1684},
      {{.posab = true, .adapt = 9}, "Hello World", "hello word", 1263},
      {{.linlencor = true}, "Hello World", "hello word", 884},
      {{}, "worldhello", "helloworld", 1000},
      {posab, "worldhello", "helloworld", 100},
      {{}, "abc", "xxabcxx", 600},
      {{}, "accaabac", "baccccac", 750},  // on equal lengths the reference is searched
      {{}, "baccccac", "accaabac", 375},
      {posab, "abc", "abcxxxx", 300},
      {posab, "abcxxxx", "abc", 300},
      {omit_xyz, "abcXYZdef", "abcXYZdef", 666},
      {{.omit = {"XYZ"}}, "abcXYZdef", "abcXYZdef", 1000},
      {kMetaphone, "ksxm", "kxkx", 727},
      {kMetaphone, "kxkx", "ksxm", 727},
  };
  const RecordStats stats{.Smeanlen2 = 20};
  for (const auto& c : cases) {
    const Settings s = make_settings(c.options);
    LiteralScorer scorer(s, stats);
    EXPECT_EQ(scorer.simlin(bytes(c.reference), bytes(c.candidate), 11, 10), c.score)
        << c.reference << " / " << c.candidate;
  }
}

TEST(Simlin, ByteDifferenceHandOver) {
  const Settings s = make_settings({.bytdif = true});
  const RecordStats stats{.Minbyt = 97, .Maxbyt = 122};
  LiteralScorer scorer(s, stats);
  EXPECT_EQ(scorer.simlin(bytes("cat"), bytes("cats"), 3, 4), 750);  // the longer goes first
  EXPECT_EQ(scorer.simlin(bytes("cats"), bytes("cat"), 4, 3), 750);
  EXPECT_EQ(scorer.simlin(bytes("a"), bytes("123"), 1, 3), -2840);  // empty becomes blank
  EXPECT_EQ(scorer.simlin(bytes(""), bytes(""), 1, 1), 1000);
}

TEST(Simlin, SingleModeKeepsTheRowsLongestSubstring) {
  Settings s = make_settings({});
  s.single = true;
  RecordStats stats{.Linza = 10, .Slinlensum = 100};
  LiteralScorer scorer(s, stats);
  scorer.start_row();
  EXPECT_EQ(scorer.simlin(bytes("Hello World"), bytes("hello word"), 11, 10), 800);
  EXPECT_STREQ(scorer.Sxstrng(), "hellowor");
  EXPECT_EQ(scorer.simlin(nullptr, bytes("jello"), 11, 5), 800);  // ello is shorter
  EXPECT_EQ(scorer.Sxmatw(), 8);
  EXPECT_EQ(scorer.simlin(nullptr, bytes("lloworld"), 11, 8), 800);  // a tie keeps the first
  EXPECT_STREQ(scorer.Sxstrng(), "hellowor");
  EXPECT_EQ(scorer.simlin(nullptr, bytes("helloworlx"), 11, 10), 900);
  EXPECT_STREQ(scorer.Sxstrng(), "helloworl");

  s.bytdif = true;  // the byte-difference measure records nothing
  EXPECT_EQ(scorer.simlin(nullptr, bytes("helloworlx"), 11, 10), 999);
  EXPECT_EQ(scorer.Sxmatw(), 9);
  s.bytdif = false;

  scorer.start_row();
  EXPECT_STREQ(scorer.Sxstrng(), "");
  EXPECT_EQ(scorer.simlin(bytes("abc"), bytes("xyz"), 3, 3), 0);
  stats.Linza = 0;  // a direct caller without records divides by nothing
  EXPECT_EQ(scorer.simlin(bytes("abc"), bytes("abc"), 3, 3), 0);
}

TEST(Simlin, LongestKeyFitsEveryBuffer) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "AX";  // keys to 2001 bytes
  Settings s = make_settings(kMetaphone);
  s.single = true;
  const RecordStats stats{.Linza = 1, .Slinlensum = 2000};
  LiteralScorer scorer(s, stats);
  scorer.start_row();
  EXPECT_EQ(scorer.simlin(bytes(text), bytes(text), 2000, 2000), 1000);
  EXPECT_EQ(std::strlen(scorer.Sxstrng()), 2001u);
  s.single = false;
  EXPECT_EQ(scorer.simlin(bytes(text), bytes(text), 2000, 2000), 1000);
}

TEST(Simlin, RandomItemsReuseReferenceAndStayInRange) {
  const std::string alphabet = "abcAB xyz\x01\xC5";
  const Options variants[] = {
      {}, {.posab = true}, {.MINSCAN = 1, .casens = true}, kMetaphone, {.omit = {"ab", "x"}}};
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
      const int32_t first = scorer.simlin(bytes(reference), bytes(candidate), 1, 1);
      EXPECT_GE(first, 0);
      EXPECT_LE(first, 1000);
      other.simlin(bytes(distractor), bytes(reference), 1, 1);
      EXPECT_EQ(scorer.simlin(nullptr, bytes(candidate), 1, 1), first)
          << reference << " / " << candidate;
      EXPECT_EQ(scorer.simlin(bytes(reference), bytes(candidate), 1, 1), first);
    }
  }
}

}  // namespace
}  // namespace vexaro
