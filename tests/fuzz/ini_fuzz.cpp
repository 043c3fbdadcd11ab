// libFuzzer target for the settings file: any bytes must read and save
// without touching memory outside the text, and a save must read back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first nine bytes choose the settings to save, the rest is the file.
  if (size < 9) return 0;
  tovi::EyeSettings wanted;
  std::memcpy(&wanted.FType, data, 4);
  std::memcpy(&wanted.FBlinkInterval, data + 4, 4);
  wanted.FBlink = data[8] & 1;
  const std::string_view text(reinterpret_cast<const char*>(data + 9), size - 9);

  tovi::ReadEyeSettings(text);
  const std::string written = tovi::WriteEyeSettings(text, wanted);
  if (!(tovi::ReadEyeSettings(written) == wanted)) std::abort();
  if (tovi::WriteEyeSettings(written, wanted) != written) std::abort();
  return 0;
}
