#pragma once

#include <cstdint>

namespace tovi {

enum class TMouseButton { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// Keys and buttons held during a mouse event, as a set of flags.
using TShiftState = std::uint8_t;
inline constexpr TShiftState ssShift = 0x01;
inline constexpr TShiftState ssAlt = 0x02;
inline constexpr TShiftState ssCtrl = 0x04;
inline constexpr TShiftState ssLeft = 0x08;
inline constexpr TShiftState ssRight = 0x10;
inline constexpr TShiftState ssMiddle = 0x20;
inline constexpr TShiftState ssDouble = 0x40;

}  // namespace tovi
