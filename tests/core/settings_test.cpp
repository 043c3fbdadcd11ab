#include "core/settings.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

namespace tovi {

void PrintTo(const EyeSettings& s, std::ostream* out) {
  *out << "{Type " << s.FType << ", Blink " << s.FBlink << ", BlinkInterval " << s.FBlinkInterval << "}";
}

namespace {

constexpr std::int32_t kMin = INT32_MIN, kMax = INT32_MAX;

TEST(ParseIniInteger, ConvertsTheWholeTextOrNothing) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"500", 500}, {"+7", 7}, {"-7", -7}, {"2147483647", kMax}, {"-2147483648", kMin}, {"2147483648", {}},
      {"-2147483649", {}}, {"0x1F4", 500}, {"0X10", 16}, {"0xffffffff", -1}, {"0x80000000", kMin},
      {"0x00000001", 1}, {"0x000000001", {}}, {"0x100000000", {}}, {"0x", {}}, {"0x1g", {}}, {"0x-1", {}},
      {"-0x10", {}}, {"+0x10", {}}, {"12abc", {}}, {"", {}}, {"+", {}}, {"+-1", {}}, {" 7", {}}, {"7 ", {}},
      {"$1F4", 500}, {"$ffffffff", -1}, {"$00000001", 1}, {"$000000001", {}}, {"$", {}}, {"$-1", {}},
      {"-$10", {}}, {"$$1", {}}, {"0x$1", {}}, {"$0x1", {}},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseIniInteger(text), value) << '"' << text << '"';
}

TEST(ReadEyeSettings, FallsBackToDefaultsValueByValue) {
  const std::pair<std::string, EyeSettings> cases[] = {
      {"", {0, true, 5000}},
      {"[Eye]\r\nType=2\r\nBlink=0\r\nBlinkInterval=0x1F4\r\n", {2, false, 500}},
      {"[EYE]\n type = 7 \nblink=2\nblinkinterval=-1", {7, true, -1}},
      {"[Eye]\nType=12abc\nBlink=\nBlinkInterval=0x\n", {0, true, 5000}},
      {"[Eye]\nType='3'\nBlink=0x0\nBlinkInterval=0XFFFFFFFF\n", {3, false, -1}},
  };
  for (const auto& [text, settings] : cases) EXPECT_EQ(ReadEyeSettings(text), settings) << text;
}

TEST(WriteEyeSettings, RewritesOurLinesOnly) {
  const std::tuple<const char*, std::string, EyeSettings, std::string> cases[] = {
      {"new file", "", {}, "[Eye]\r\nType=0\r\nBlink=1\r\nBlinkInterval=5000\r\n"},
      {"other sections, comments, LF, no final break",
       "; Tovi\n[Window]\nLeft=10\n\n[Eye]\nType=3\n; keep\nBlink=0\n\n[Zzz]\nodd line\nlast", {1, true, 250},
       "; Tovi\n[Window]\nLeft=10\n\n[Eye]\nType=1\n; keep\nBlink=1\nBlinkInterval=250\r\n\n[Zzz]\nodd line\nlast"},
      {"odd case, first occurrences", "[eYe]\r\nbLiNk = 0\r\nTYPE=9\r\ntype=8\r\n[Eye]\r\nBlinkInterval=1\r\n",
       {4, false, 100}, "[eYe]\r\nBlink=0\r\nType=4\r\ntype=8\r\nBlinkInterval=100\r\n[Eye]\r\nBlinkInterval=1\r\n"},
  };
  for (const auto& [what, before, settings, after] : cases)
    EXPECT_EQ(WriteEyeSettings(before, settings), after) << what;
}

// Texts strung together from pieces of settings files: what is saved reads
// back, and saving it again changes nothing.
TEST(EyeSettingsFile, SurvivesRandomTexts) {
  const std::vector<std::string> pieces = {"[", "]", "=", ";", "\r", "\n", "\r\n", " ", "\t", "\"", "'", "Eye",
                                           "eYE", "Type", "Blink", "BlinkInterval", "0x", "-", "7", "\xEF\xBB\xBF", "\xFF\xFE"};
  std::mt19937 random(20240601);
  auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  for (int round = 0; round < 10000; ++round) {
    std::string text;
    for (std::size_t n = below(40); n > 0; --n)
      text += below(4) == 0 ? std::string(1, static_cast<char>(below(256))) : pieces[below(pieces.size())];
    ReadEyeSettings(text);
    const EyeSettings wanted{static_cast<std::int32_t>(random()), below(2) == 0, static_cast<std::int32_t>(random())};
    const std::string written = WriteEyeSettings(text, wanted);
    ASSERT_EQ(ReadEyeSettings(written), wanted) << ::testing::PrintToString(text);
    ASSERT_EQ(WriteEyeSettings(written, wanted), written) << "saved twice: " << ::testing::PrintToString(text);
  }
}

TEST(OverflowHint, IsRememberedInASectionOfItsOwn) {
  const std::tuple<std::string, bool, std::string> cases[] = {
      {"", false, "[Hint]\r\nOverflowShown=1\r\n"},
      {"[Eye]\r\nType=2\r\n", false, "[Eye]\r\nType=2\r\n[Hint]\r\nOverflowShown=1\r\n"},
      {"[hint]\n overflowshown = 0 \n; mine\n", false, "[hint]\nOverflowShown=1\n; mine\n"},
      {"[Hint]\nOverflowShown=yes\n[Eye]\nBlink=0", false, "[Hint]\nOverflowShown=1\n[Eye]\nBlink=0"},
      {"[Hint]\r\nOverflowShown=1\r\n", true, "[Hint]\r\nOverflowShown=1\r\n"},
      {"[Eye]\nOverflowShown=1\n", false, "[Eye]\nOverflowShown=1\n[Hint]\r\nOverflowShown=1\r\n"},
  };
  for (const auto& [before, shown, after] : cases) {
    EXPECT_EQ(ReadOverflowHintShown(before), shown) << ::testing::PrintToString(before);
    EXPECT_EQ(WriteOverflowHintShown(before), after) << ::testing::PrintToString(before);
  }
}

TEST(ClampBlinkInterval, KeepsTheRangeAndTakesTheNearerEndOutsideIt) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {kMin, 100}, {99, 100}, {100, 100}, {101, 101}, {9999, 9999}, {10000, 10000}, {10001, 10000}, {kMax, 10000},
  };
  for (const auto& [interval, clamped] : cases) EXPECT_EQ(ClampBlinkInterval(interval), clamped) << interval;
}

}  // namespace
}  // namespace tovi
