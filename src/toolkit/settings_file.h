#pragma once

#include <string>
#include <string_view>

namespace tovi {

// The whole file; empty when it is missing or cannot be read, so that the
// settings take their defaults.
std::string ReadFileBytes(const std::wstring& path);

// Puts bytes in place of the file so that a crash or power loss never leaves
// it empty or half-written: a complete new file path + ".tmp" is written,
// flushed and moved over the old one. Throws EToviError "<full path> に書き込めません"
// when the file is read-only or anything fails; the old file then stays as it was.
void WriteFileSafely(const std::wstring& path, std::string_view bytes);

// Deletes the temporary a crashed save may have left beside the file.
void RemoveStrayTemporary(const std::wstring& path);

}  // namespace tovi
