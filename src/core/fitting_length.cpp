#include "core/fitting_length.h"

#include <algorithm>

namespace tovi {

std::size_t FittingLength(std::string_view text, std::size_t maxBytes, bool (*isLeadByte)(unsigned char)) {
  std::size_t length = 0;
  while (length < text.size()) {
    const std::size_t next = length + (isLeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1);
    if (next > maxBytes) break;
    length = next;
  }
  // A lead byte that ends the text keeps its place alone.
  return std::min(length, text.size());
}

}  // namespace tovi
