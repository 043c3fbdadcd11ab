#include "core/settings.h"

#include <charconv>

#include "core/ini_document.h"

namespace tovi {
namespace {

constexpr std::string_view kSection = "Eye";
constexpr std::string_view kTypeKey = "Type";
constexpr std::string_view kBlinkKey = "Blink";
constexpr std::string_view kBlinkIntervalKey = "BlinkInterval";
constexpr std::string_view kHintSection = "Hint";
constexpr std::string_view kOverflowShownKey = "OverflowShown";

// The whole text as a number; nothing when a character is left over or it does not fit.
template <typename Integer>
std::optional<Integer> WholeNumber(std::string_view text, int base) {
  Integer value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The digits after "$", or after "0x" or "0X" where some follow; nothing for any other text.
std::optional<std::string_view> HexadecimalDigits(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return text.substr(2);
  if (text.starts_with('$')) return text.substr(1);
  return std::nullopt;
}

std::int32_t ReadInteger(const TIniDocument& ini, std::string_view key, std::int32_t fallback,
                         std::string_view section = kSection) {
  const std::optional<std::string> text = ini.ReadString(section, key);
  return text ? ParseIniInteger(*text).value_or(fallback) : fallback;
}

}  // namespace

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
  if (const std::optional<std::string_view> digits = HexadecimalDigits(text)) {
    if (digits->size() > 8) return std::nullopt;
    // from_chars takes no sign for an unsigned number, so "$-1" and "0x-1" fail as they should.
    const std::optional<std::uint32_t> bits = WholeNumber<std::uint32_t>(*digits, 16);
    if (!bits) return std::nullopt;
    return static_cast<std::int32_t>(*bits);
  }
  // from_chars knows '-' but not '+'; "+-1" keeps its '+' and so fails.
  if (text.starts_with('+') && !text.substr(1).starts_with('-')) text.remove_prefix(1);
  return WholeNumber<std::int32_t>(text, 10);
}

EyeSettings ReadEyeSettings(std::string_view iniBytes) {
  const TIniDocument ini{iniBytes};
  EyeSettings settings;
  settings.FType = ReadInteger(ini, kTypeKey, settings.FType);
  settings.FBlink = ReadInteger(ini, kBlinkKey, 1) != 0;
  settings.FBlinkInterval = ReadInteger(ini, kBlinkIntervalKey, settings.FBlinkInterval);
  return settings;
}

std::string WriteEyeSettings(std::string_view iniBytes, const EyeSettings& settings) {
  TIniDocument ini{iniBytes};
  ini.WriteString(kSection, kTypeKey, std::to_string(settings.FType));
  ini.WriteString(kSection, kBlinkKey, settings.FBlink ? "1" : "0");
  ini.WriteString(kSection, kBlinkIntervalKey, std::to_string(settings.FBlinkInterval));
  return ini.Text();
}

bool ReadOverflowHintShown(std::string_view iniBytes) {
  return ReadInteger(TIniDocument{iniBytes}, kOverflowShownKey, 0, kHintSection) != 0;
}

std::string WriteOverflowHintShown(std::string_view iniBytes) {
  TIniDocument ini{iniBytes};
  ini.WriteString(kHintSection, kOverflowShownKey, "1");
  return ini.Text();
}

}  // namespace tovi
