#include "core/fitting_length.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace tovi {
namespace {

TEST(FittingLength, KeepsWhatFitsWithoutSplittingADoubleByteCharacter) {
  // Shift JIS: 0x81-0x9F and 0xE0-0xFC lead a two-byte character; "\x82\xA0" is あ.
  const auto shiftJisLead = [](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };
  const std::tuple<const char*, std::string, std::size_t> cases[] = {
      {"empty", "", 0}, {"fits exactly", std::string(63, 'a'), 63}, {"one too many", std::string(64, 'a'), 63},
      {"a character that would end past the limit goes whole", std::string(62, 'a') + "\x82\xA0", 62},
      {"a character that ends at the limit stays", std::string(61, 'a') + "\x82\xA0", 63},
      {"a trail byte at the limit that looks like a lead stays with its own", std::string(61, 'a') + "\x82\x82" "a", 63},
      {"a lead byte that ends the text stays", "ab\x82", 3},
  };
  for (const auto& [reason, text, length] : cases) EXPECT_EQ(FittingLength(text, 63, shiftJisLead), length) << reason;
}

}  // namespace
}  // namespace tovi
