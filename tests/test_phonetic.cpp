// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <random>
#include <string>

#include "scoring/phonetic.h"

namespace vexaro {
namespace {

std::string key_of(const std::string& text, unsigned maximum = 2000, const char* prefix = "") {
  std::array<char, 2100> key{};
  std::snprintf(key.data(), key.size(), "%s", prefix);
  phonetic(reinterpret_cast<const uint8_t*>(text.c_str()), key.data(), maximum);
  return key.data();
}

TEST(Phonetic, Keys) {
  const struct {
    const char* text;
    const char* key;
  } cases[] = {
      // Worked keys.
      {"Thomas", "0M"},
      {"knights", "NT"},
      {"Christmas", "KRSTM"},
      {"school", "SXL"},
      {"match", "MTX"},
      {"matches", "MX"},
      {"account", "ACNT"},
      {"accent", "ASNT"},
      {"edge", "EJ"},
      {"signed", "SNT"},
      {"laugh", "LK"},
      {"bigger", "BKR"},
      {"Xavier", "SFR"},
      {"white", "WT"},
      {"New York", "NYRK"},
      // Case, word boundaries and non-letters.
      {"thomas", "0M"},
      {"THOMAS", "0M"},
      {"NEWYORK", "NYRK"},
      {"12 ,.;\x01\x80\xC4\xFF", ""},
      {"a\xE9z", "AS"},
      // Start and end of the word.
      {"S", ""},
      {"X", ""},
      {"SS", "S"},
      {"WH", ""},
      {"gnome", "NM"},
      {"knight", "NT"},
      {"wright", "RT"},
      {"aeroplane", "ERPLN"},
      {"AARON", "ARN"},
      {"LAMBS", "LM"},
      {"SIGNS", "SN"},
      {"yes", "Y"},
      // Doubling and position limits.
      {"Mississippi", "MSSP"},
      {"yellow", "YL"},
      {"HIGH", "HK"},
      {"CHAOS", "X"},
      {"ascent", "ASNT"},
      {"science", "SSNS"},
      {"nation", "NXN"},
      {"acacia", "AKX"},
      {"dodge", "TJ"},
      {"thumb", "0M"},
      {"ksxm", "KSKSM"},
      {"kxkx", "KKSKKS"},
  };
  for (const auto& c : cases) EXPECT_EQ(key_of(c.text), c.key) << c.text;
}

TEST(Phonetic, StopsOneCharacterPastTheMaximum) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "AX";
  std::string expected = "A";
  for (int i = 0; i < 1000; ++i) expected += "KS";
  EXPECT_EQ(key_of(text), expected);
  EXPECT_EQ(expected.size(), 2001u);

  EXPECT_EQ(key_of("axaxax", 2), "AKS");
  // The key is appended to what the buffer holds, which counts toward the maximum.
  EXPECT_EQ(key_of("Thomas", 3, "ZZ"), "ZZ0");
  EXPECT_EQ(key_of("Thomas", 2, "ZZ"), "ZZ");
  EXPECT_EQ(key_of("123", 10, "ZZ"), "ZZ");
}

TEST(Phonetic, LettersBeyondCapacityAreIgnored) {
  EXPECT_EQ(key_of(std::string(2000, 'E') + "KKKK"), "E");
  EXPECT_EQ(key_of(std::string(1999, 'E') + "M"), "EM");
}

TEST(Phonetic, RandomTextsStayWithinLimitAndIgnoreCase) {
  const std::string alphabet = "aeioubcdghkmnpstwxyz ";
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = random() % 14; i > 0; --i) text += alphabet[random() % alphabet.size()];
    const unsigned maximum = random() % 9;
    const std::string key = key_of(text, maximum);
    EXPECT_LE(key.size(), maximum + 1) << text;
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(key_of(upper, maximum), key) << text;
  }
}

}  // namespace
}  // namespace vexaro
