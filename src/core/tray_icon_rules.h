#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/mouse.h"

namespace tovi {

// The mouse messages a tray icon's callback passes on, by the platform's numbers.
inline constexpr std::uint32_t kMouseMove = 0x0200;
inline constexpr std::uint32_t kLButtonDown = 0x0201;
inline constexpr std::uint32_t kLButtonUp = 0x0202;
inline constexpr std::uint32_t kLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kRButtonDown = 0x0204;
inline constexpr std::uint32_t kRButtonUp = 0x0205;
inline constexpr std::uint32_t kRButtonDblClk = 0x0206;
inline constexpr std::uint32_t kMButtonDown = 0x0207;
inline constexpr std::uint32_t kMButtonUp = 0x0208;

enum class TTrayMenu { None, Left, Right };
enum class TTrayEventKind { MouseMove, MouseDown, MouseUp, Click, DblClick };

struct TTrayEvent {
  TTrayEventKind Kind;
  TMouseButton Button = TMouseButton::mbLeft;  // of MouseDown and MouseUp
  TShiftState Shift = 0;                       // of MouseMove, MouseDown and MouseUp
};

// What one mouse report asks of a tray icon, done in this order: bring the
// owner's form forward, open a menu and wait for it to close, call the events.
struct TTrayResponse {
  bool BringOwnerForward = false;
  TTrayMenu Menu = TTrayMenu::None;
  std::vector<TTrayEvent> Events;
};

TTrayResponse TrayResponse(std::uint32_t mouseMessage);

// How many bytes of text to keep so that at most maxBytes remain, never
// splitting a double-byte character; isLeadByte tells the code page's lead bytes.
std::size_t FittingLength(std::string_view text, std::size_t maxBytes, bool (*isLeadByte)(unsigned char));

}  // namespace tovi
