#include "core/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <tuple>
#include <vector>

namespace tovi {

void PrintTo(const EyeSettings& s, std::ostream* out) {
  *out << "{Type " << s.FType << ", Blink " << s.FBlink << ", BlinkInterval " << s.FBlinkInterval << "}";
}

namespace {

constexpr std::int32_t kMin = INT32_MIN, kMax = INT32_MAX;
const std::string kDefaultFile = "[Eye]\r\nType=0\r\nBlink=1\r\nBlinkInterval=5000\r\n";

TEST(ParseIniInteger, ConvertsTheWholeTextOrNothing) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"500", 500}, {"+7", 7}, {"-7", -7}, {"007", 7}, {"-0", 0}, {"2147483647", kMax}, {"-2147483648", kMin},
      {"2147483648", {}}, {"-2147483649", {}}, {"99999999999999999999", {}}, {"0x1F4", 500}, {"0X10", 16},
      {"0xffffffff", -1}, {"0x80000000", kMin}, {"0x7FFFFFFF", kMax}, {"0x00000001", 1}, {"0x000000001", {}},
      {"0x100000000", {}}, {"0x", {}}, {"0x1g", {}}, {"0x-1", {}}, {"-0x10", {}}, {"+0x10", {}}, {"12abc", {}},
      {"", {}}, {"+", {}}, {"+-1", {}}, {"++1", {}}, {" 7", {}}, {"7 ", {}}, {"1e3", {}}, {"1.0", {}},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseIniInteger(text), value) << '"' << text << '"';
}

TEST(ReadEyeSettings, FallsBackToDefaultsValueByValue) {
  const std::pair<std::string, EyeSettings> cases[] = {
      {"", {}},
      {"[Eye]\r\nType=2\r\nBlink=0\r\nBlinkInterval=0x1F4\r\n", {2, false, 500}},
      {"[EYE]\n type = 7 \nblink=2\nblinkinterval=-1", {7, true, -1}},
      {"[Eye]\nType=12abc\nBlink=\nBlinkInterval=0x\n", {0, true, 5000}},
      {"[Eye]\nType='3'\nBlink=0x0\nBlinkInterval=0XFFFFFFFF\n", {3, false, -1}},
  };
  for (const auto& [text, settings] : cases) EXPECT_EQ(ReadEyeSettings(text), settings) << text;
}

TEST(WriteEyeSettings, RewritesOurLinesOnly) {
  const std::tuple<const char*, std::string, EyeSettings, std::string> cases[] = {
      {"new file", "", {}, kDefaultFile},
      {"other sections, comments, LF, no final break",
       "; Tovi\n[Window]\nLeft=10\n\n[Eye]\nType=3\n; keep\nBlink=0\n\n[Zzz]\nodd line\nlast", {1, true, 250},
       "; Tovi\n[Window]\nLeft=10\n\n[Eye]\nType=1\n; keep\nBlink=1\nBlinkInterval=250\r\n\n[Zzz]\nodd line\nlast"},
      {"odd case, first occurrences", "[eYe]\r\nbLiNk = 0\r\nTYPE=9\r\ntype=8\r\n[Eye]\r\nBlinkInterval=1\r\n",
       {4, false, 100}, "[eYe]\r\nBlink=0\r\nType=4\r\ntype=8\r\nBlinkInterval=100\r\n[Eye]\r\nBlinkInterval=1\r\n"},
  };
  for (const auto& [what, before, settings, after] : cases)
    EXPECT_EQ(WriteEyeSettings(before, settings), after) << what;
}

// The lines of a text with their endings, past a byte order mark, but for
// those the writer may touch: headers and keys like ours.
std::vector<std::string> OtherLines(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<std::string> others;
  while (!text.empty()) {
    std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
    if (end < text.size()) end += text.substr(end).starts_with("\r\n") ? 2 : 1;
    std::string line(text.substr(0, end)), name = line.substr(std::min(line.find_first_not_of(" \t\v\f"), end));
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!name.starts_with("type") && !name.starts_with("blink") && !name.starts_with("[eye")) others.push_back(line);
    text.remove_prefix(end);
  }
  return others;
}

TEST(EyeSettingsFile, SurvivesRandomTexts) {
  const std::vector<std::string> pieces = {"[", "]", "=", ";", "\r", "\n", "\r\n", " ", "\t", "\"", "'", "Eye",
                                           "eYE", "Type", "Blink", "BlinkInterval", "0x", "-", "7", "\xEF\xBB\xBF"};
  const std::vector<std::string> seeds = {
      "", kDefaultFile, "[A]\nx=1\n\n[Eye]\nBlink=0\n;c\n\n[B]\ny", "\xEF\xBB\xBF[eye]\rtype= 0x10 \r[Eye]\rBlink=1"};
  std::mt19937 random(20240601);
  auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  auto piece = [&] { return below(4) == 0 ? std::string(1, char(below(256))) : pieces[below(pieces.size())]; };
  for (int round = 0; round < 10000; ++round) {
    std::string text;
    if (round % 2 == 0) {
      for (std::size_t n = below(40); n > 0; --n) text += piece();
    } else {
      text = seeds[below(seeds.size())];
      for (std::size_t n = 1 + below(4); n > 0; --n) {
        const std::size_t at = below(text.size() + 1), length = below(4);
        if (below(2) == 0) text.insert(at, piece());
        else text.erase(at, length);
      }
    }
    ReadEyeSettings(text);
    const EyeSettings wanted{static_cast<std::int32_t>(random()), below(2) == 0, static_cast<std::int32_t>(random())};
    const std::string written = WriteEyeSettings(text, wanted);
    ASSERT_EQ(ReadEyeSettings(written), wanted) << ::testing::PrintToString(text);
    ASSERT_EQ(WriteEyeSettings(written, wanted), written) << "saved twice: " << ::testing::PrintToString(text);
    std::vector<std::string> before = OtherLines(text), after = OtherLines(written);
    // What is added after a last line without a break starts a new line.
    if (!before.empty() && after.size() == before.size() && after.back() == before.back() + "\r\n")
      after.back() = before.back();
    ASSERT_EQ(after, before) << "lines not ours changed in " << ::testing::PrintToString(text);
  }
}

TEST(ClampBlinkInterval, KeepsTheRangeAndTakesTheNearerEndOutsideIt) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {kMin, 100}, {-65036, 100}, {99, 100}, {100, 100}, {101, 101}, {9999, 9999}, {10000, 10000},
      {10001, 10000}, {66036, 10000}, {kMax, 10000},
  };
  for (const auto& [interval, clamped] : cases) EXPECT_EQ(ClampBlinkInterval(interval), clamped) << interval;
}

}  // namespace
}  // namespace tovi
