#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovi {

// What the user can choose, kept in section "Eye" of tovi.ini.
struct EyeSettings {
  std::int32_t FType = 0;  // index of the pupil picture
  bool FBlink = true;      // blink by itself now and then
  std::int32_t FBlinkInterval = 5000;  // milliseconds between blinks

  bool operator==(const EyeSettings&) const = default;
};

// The interval the settings dialog offers: 100 to 10000 ms in steps of 100.
inline constexpr std::int32_t kMinBlinkInterval = 100;
inline constexpr std::int32_t kMaxBlinkInterval = 10000;
inline constexpr std::int32_t kBlinkIntervalStep = 100;

// An interval brought into the dialog's range: one outside it goes to the
// nearer end, whatever its size.
constexpr std::int32_t ClampBlinkInterval(std::int32_t interval) {
  return interval < kMinBlinkInterval ? kMinBlinkInterval
                                      : interval > kMaxBlinkInterval ? kMaxBlinkInterval : interval;
}

// A setting's text as a 32-bit integer: "$", "0x" or "0X" and one to eight
// hexadecimal digits (the bit pattern: "$FFFFFFFF" is -1), or decimal digits
// with an optional sign. Nothing when the whole text does not convert.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

// The settings in the file's bytes (8-bit or UTF-16 text); a missing or unusable value takes its default.
EyeSettings ReadEyeSettings(std::string_view iniBytes);

// The file's bytes with the three settings written in, in the file's encoding, and all else kept.
std::string WriteEyeSettings(std::string_view iniBytes, const EyeSettings& settings);

// Whether the file remembers that the hint about eyes hidden by the shell was
// shown: "OverflowShown" in section "Hint", a number other than 0.
bool ReadOverflowHintShown(std::string_view iniBytes);

// The file's bytes remembering that the hint was shown, all else kept.
std::string WriteOverflowHintShown(std::string_view iniBytes);

}  // namespace tovi
