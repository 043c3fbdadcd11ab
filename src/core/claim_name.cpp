#include "core/claim_name.h"

#include <cstdint>

namespace tovi {

std::string FolderClaimName(std::u16string_view finalPath) {
  // A drive's root keeps its separator in the final path; a trailing one names the same folder.
  while (!finalPath.empty() && finalPath.back() == u'\\') finalPath.remove_suffix(1);
  // A path may be longer than an object's name may be (MAX_PATH), and a name
  // holds no backslash past its namespace: the path is hashed (64-bit FNV-1a
  // over its UTF-16 units, low byte first).
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char16_t unit : finalPath)
    for (const unsigned byte : {unit & 0xFFu, unsigned{unit} >> 8}) hash = (hash ^ byte) * 0x100000001b3u;
  // Per session: another user's copy shows that user's eyes; a machine-wide name would leave them none, unexplained.
  std::string name = "Local\\Tovi-";
  for (int shift = 60; shift >= 0; shift -= 4) name += "0123456789abcdef"[(hash >> shift) & 0xF];
  return name;
}

}  // namespace tovi
