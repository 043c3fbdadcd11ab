#pragma once

#include <cstddef>
#include <string_view>

namespace tovi {

// How many bytes of text to keep so that at most maxBytes remain, never
// splitting a double-byte character; isLeadByte tells the code page's lead bytes.
std::size_t FittingLength(std::string_view text, std::size_t maxBytes, bool (*isLeadByte)(unsigned char));

}  // namespace tovi
